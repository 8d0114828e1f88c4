// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QPushButton;
class QWidget;

namespace brevora {

// A push button with its caption and object name that does not become the
// default button by taking the focus.
QPushButton* MakeButton(const char* text, const char* objectName, QWidget* parent);

}  // namespace brevora
