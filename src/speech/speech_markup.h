// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace brevora {

// Turns an article's text (UTF-8) into the SSML the speech engine speaks, so
// that markup is obeyed and everything else is spoken as text:
//  - SSML elements the engine understands (speak, voice, prosody, say-as,
//    mark, s, p, sub, emphasis, break, audio, metadata) pass unchanged;
//  - the tags of the Windows speech engine become their SSML equivalents:
//    <volume level="N"> a prosody volume, <rate speed|absspeed="N"> a
//    prosody rate, <pitch middle|absmiddle="N"> a prosody pitch,
//    <silence msec="N"/> a break, <emph> emphasis, <spell> characters; an
//    empty-element form (<volume level="50"/>) lasts to the end of the
//    enclosing element; its other tags (sapi, bookmark, ...) are dropped;
//  - any other "<", a bare ">" and an "&" that starts no character reference
//    are escaped, so "AT&T" and "a<b" are spoken, never swallowed;
//  - a zero character becomes a blank instead of ending the text;
//  - markup comes from web pages, so nothing in it may make an article's
//    audio longer than its text justifies: a pause (break, silence) lasts at
//    most 3 s and all pauses of an article at most 60 s, a rate is at least
//    a third and at most three times the normal one, a prosody duration or an
//    audio element is left out (the audio element's text is spoken).
std::string PrepareSpeechMarkup(std::string_view text);

}  // namespace brevora
