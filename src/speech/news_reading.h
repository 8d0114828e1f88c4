// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace brevora {

// An article's text (its title, a blank line, its body) as the news is read,
// ready for PrepareSpeechMarkup. Each rule, in order:
//  - the title, then a pause (700 ms), then the body; each paragraph (a line
//    of the body) ends with a pause (350 ms), longer than a sentence's;
//  - a list item (a line that begins with a bullet, "-" or "*") keeps its
//    place without its bullet, after a short pause (250 ms);
//  - a web or e-mail address is not spelled out: alone on its line it is read
//    as its site ("example dot com", "news at example dot com"), inside a
//    sentence as "link" (the words in the article's language where known);
//  - emoji, box-drawing characters, arrows, bullets, dingbats and runs of two
//    or more of * # = _ ~ ^ | + are not read;
//  - typographic quotes and brackets become the plain quotes and
//    parentheses that the voice reads as pauses.
// A rule that would leave nothing of a text that had words is not applied:
// the text is read as it stands.
std::string ReadLikeTheNews(std::string_view text, std::string_view language = {});

}  // namespace brevora
