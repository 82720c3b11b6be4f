// Where the parts of a message box go: a pop-up centred on the screen with its caption in
// the title bar, an icon mark, the text with its line breaks kept (long lines wrapped), and
// a row of buttons.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "frontend/terminal/canvas.h"

namespace frontend {

// Splits at line breaks and wraps lines wider than `width` columns, preferring a blank as
// the break; never splits a character.
std::vector<std::string> WrapText(std::string_view text, int width);

// Wraps into at most `rows` lines of about equal width (at most `width` columns) when the
// text needs more than one; a centred status reads better in two halves than as a long
// line and a stub.
std::vector<std::string> WrapBalanced(std::string_view text, int width, int rows);

struct MessageBoxLayout {
    CellRect frame;                  // with the title bar and the border
    int iconRow = 0, iconCol = 0;    // where the icon mark starts
    int textRow = 0, textCol = 0;    // first line of the text
    std::vector<std::string> lines;  // the text, wrapped
    std::vector<CellRect> buttons;   // one per label, in order
};

// The mark drawn for the MB_ICON... bits of `boxType` ("(?)", "(!)", "(i)", "(X)"), empty
// without an icon.
std::string IconMark(unsigned boxType);

// The button label for a message-box answer (IDOK, IDYES ...) when its control has none.
std::string DefaultAnswerLabel(int answer);

// The width a button takes for its label, marked as the default or not.
int ButtonWidth(std::string_view label);

MessageBoxLayout LayoutMessageBox(std::string_view caption, std::string_view message,
                                  unsigned boxType, const std::vector<std::string>& buttonLabels,
                                  int screenRows, int screenCols);

}  // namespace frontend
