#include "frontend/terminal/message_box_layout.h"

#include <algorithm>

#include "frontend/terminal/mnemonic.h"
#include "frontend/terminal/scroll.h"
#include "frontend/terminal/text_width.h"
#include "winapi/winuser.h"

namespace frontend {

namespace {

constexpr int kMaxTextWidth = 64;

bool StartsLineBadly(std::string_view rest) {
    static constexpr std::string_view kClosing[] = {"、", "。", "，", "．", "・", "：", "；",
                                                    "？", "！", "」", "』", "）", "ー", "ｰ",
                                                    "｡",  "､",  "｣",  "･",  "ﾞ",  "ﾟ"};
    for (std::string_view mark : kClosing) {
        if (rest.substr(0, mark.size()) == mark) {
            return true;
        }
    }
    return false;
}
constexpr int kButtonGap = 2;

void WrapLine(std::string_view line, int width, std::vector<std::string>& out) {
    bool wrapped = false;
    while (TextWidth(line) > width) {
        wrapped = true;
        std::string_view head = ClipToWidth(line, width);
        if (head.empty()) {
            // Not even one character fits: take one anyway so the loop ends.
            head = line.substr(0, DecodeGlyph(line, 0).bytes);
        }
        size_t cut = head.size();
        const size_t blank = head.rfind(' ');
        if (blank != std::string_view::npos && blank > 0) {
            cut = blank;
        } else if (cut < line.size() && StartsLineBadly(line.substr(cut))) {
            // Closing punctuation never starts a line: it takes the character before it along.
            const size_t before = PrevCharOffset(line, cut);
            if (before > 0) {
                cut = before;
            }
        }
        out.emplace_back(line.substr(0, cut));
        line.remove_prefix(cut);
        if (!line.empty() && line.front() == ' ') {
            line.remove_prefix(1);
        }
    }
    if (!wrapped || !line.empty()) {
        out.emplace_back(line);
    }
}

}  // namespace

std::vector<std::string> WrapText(std::string_view text, int width) {
    width = std::max(1, width);
    std::vector<std::string> lines;
    size_t start = 0;
    while (true) {
        const size_t end = text.find('\n', start);
        std::string_view line =
            text.substr(start, end == std::string_view::npos ? end : end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        WrapLine(line, width, lines);
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> WrapBalanced(std::string_view text, int width, int rows) {
    std::vector<std::string> lines = WrapText(text, width);
    if (lines.size() <= 1 || static_cast<int>(lines.size()) > rows) {
        return lines;
    }
    // The narrowest width that still needs no more lines.
    const size_t count = lines.size();
    for (int narrower = (TextWidth(text) + static_cast<int>(count) - 1) / static_cast<int>(count);
         narrower < width; ++narrower) {
        std::vector<std::string> candidate = WrapText(text, narrower);
        if (candidate.size() <= count) {
            return candidate;
        }
    }
    return lines;
}

std::string IconMark(unsigned boxType) {
    switch (boxType & MB_ICONMASK) {
        case MB_ICONQUESTION:
            return "(?)";
        case MB_ICONEXCLAMATION:
            return "(!)";
        case MB_ICONINFORMATION:
            return "(i)";
        case MB_ICONHAND:
            return "(X)";
        default:
            return "";
    }
}

std::string DefaultAnswerLabel(int answer) {
    switch (answer) {
        case IDOK:
            return "OK";
        case IDCANCEL:
            return "キャンセル";
        case IDYES:
            return "はい(&Y)";
        case IDNO:
            return "いいえ(&N)";
        case IDABORT:
            return "中止(&A)";
        case IDRETRY:
            return "再試行(&R)";
        case IDIGNORE:
            return "無視(&I)";
        default:
            return "?";
    }
}

// Room for the default mark: "[[ label ]]".
int ButtonWidth(std::string_view label) { return TextWidth(ParseLabel(label).text) + 6; }

MessageBoxLayout LayoutMessageBox(std::string_view caption, std::string_view message,
                                  unsigned boxType, const std::vector<std::string>& buttonLabels,
                                  int screenRows, int screenCols) {
    MessageBoxLayout layout;
    const std::string mark = IconMark(boxType);
    const int iconCols = mark.empty() ? 0 : TextWidth(mark) + 2;
    // Border and two blanks each side.
    const int chrome = 2 + 4 + iconCols;
    const int textLimit = std::max(8, std::min(kMaxTextWidth, screenCols - chrome));
    layout.lines = WrapText(message, textLimit);

    int textWidth = 0;
    for (const auto& line : layout.lines) {
        textWidth = std::max(textWidth, TextWidth(line));
    }
    int buttonsWidth = 0;
    for (const auto& label : buttonLabels) {
        buttonsWidth += ButtonWidth(label) + (buttonsWidth > 0 ? kButtonGap : 0);
    }
    const int inner = std::max({textWidth + iconCols, buttonsWidth, TextWidth(caption) + 4, 16});
    const int cols = inner + 6;
    // Title bar, a blank, the text, a blank, the buttons, the border.
    const int rows = static_cast<int>(layout.lines.size()) + 5;
    layout.frame = {std::max(0, (screenRows - rows) / 2), std::max(0, (screenCols - cols) / 2),
                    rows, cols};

    const int left = layout.frame.col + 3;
    layout.iconRow = layout.frame.row + 2;
    layout.iconCol = left;
    layout.textRow = layout.frame.row + 2;
    layout.textCol = left + iconCols;

    const int buttonRow = layout.frame.bottom() - 2;
    int col = layout.frame.col + std::max(0, (cols - buttonsWidth) / 2);
    for (const auto& label : buttonLabels) {
        const int width = ButtonWidth(label);
        layout.buttons.push_back({buttonRow, col, 1, width});
        col += width + kButtonGap;
    }
    return layout;
}

}  // namespace frontend
