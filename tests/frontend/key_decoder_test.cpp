#include "frontend/terminal/key_decoder.h"

#include <curses.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace frontend {
namespace {

KeyInput Ch(int c) { return {false, c}; }
KeyInput Key(int k) { return {true, k}; }

TEST(KeyDecoderTest, SingleKeysMapToDialogCommands) {
    struct Case {
        KeyInput input;
        Action action;
        char32_t ch;
    } cases[] = {
        {Ch('\t'), Action::Next, 0},          {Key(KEY_BTAB), Action::Prev, 0},
        {Ch('\n'), Action::Enter, 0},         {Ch('\r'), Action::Enter, 0},
        {Key(KEY_ENTER), Action::Enter, 0},   {Ch(' '), Action::Space, 0},
        {Key(KEY_UP), Action::Up, 0},         {Key(KEY_NPAGE), Action::PageDown, 0},
        {Ch(0x7F), Action::Backspace, 0},     {Key(KEY_BACKSPACE), Action::Backspace, 0},
        {Key(KEY_DC), Action::Delete, 0},     {Key(KEY_F(10)), Action::SystemMenu, 0},
        {Key(KEY_F(4)), Action::OpenList, 0}, {Key(KEY_RESIZE), Action::Resize, 0},
        {Ch(0x03), Action::Cancel, 0},        {Ch('x'), Action::Char, U'x'},
        {Ch(0x958B), Action::Char, U'開'},
    };
    for (const auto& c : cases) {
        KeyDecoder decoder;
        const auto event = decoder.Feed(c.input);
        ASSERT_TRUE(event.has_value()) << c.input.value;
        EXPECT_EQ(event->action, c.action) << c.input.value;
        EXPECT_EQ(event->ch, c.ch) << c.input.value;
    }
}

TEST(KeyDecoderTest, UnknownKeysAndControlCharactersAreDropped) {
    for (const KeyInput input : {Key(KEY_F(3)), Ch(0x01), Ch(0x110000)}) {
        KeyDecoder decoder;
        EXPECT_FALSE(decoder.Feed(input).has_value()) << input.value;
    }
}

TEST(KeyDecoderTest, EscapeWaitsForALetterBeforeItCancels) {
    struct Case {
        std::vector<KeyInput> inputs;
        Action action;
        char32_t ch;
    } cases[] = {
        {{Ch(0x1B), Ch('t')}, Action::Mnemonic, U'T'},
        {{Ch(0x1B), Ch('F')}, Action::Mnemonic, U'F'},
        {{Ch(0x1B), Ch(' ')}, Action::SystemMenu, 0},
        {{Ch(0x1B), Ch(0x1B)}, Action::Cancel, 0},
        {{Ch(0x1B), Key(KEY_F(4))}, Action::Close, 0},
        {{Ch(0x1B), Key(KEY_DOWN)}, Action::OpenList, 0},
        {{Ch(0x1B), Key(KEY_UP)}, Action::Up, 0},
    };
    for (const auto& c : cases) {
        KeyDecoder decoder;
        std::optional<KeyEvent> event;
        for (const KeyInput& input : c.inputs) {
            event = decoder.Feed(input);
        }
        ASSERT_TRUE(event.has_value());
        EXPECT_EQ(event->action, c.action);
        EXPECT_EQ(event->ch, c.ch);
        EXPECT_FALSE(decoder.escapePending());
    }
}

TEST(KeyDecoderTest, AltReportedWithTheKeyActsLikeEscapeBeforeIt) {
    KeyDecoder decoder;
    const auto close = decoder.Feed({true, KEY_F(4), true});
    ASSERT_TRUE(close.has_value());
    EXPECT_EQ(close->action, Action::Close);
    // A pending Esc is replaced, not doubled.
    decoder.Feed(Ch(0x1B));
    const auto open = decoder.Feed({true, KEY_DOWN, true});
    ASSERT_TRUE(open.has_value());
    EXPECT_EQ(open->action, Action::OpenList);
    EXPECT_FALSE(decoder.escapePending());
}

std::vector<KeyInput> Chars(const std::string& text) {
    std::vector<KeyInput> inputs;
    for (unsigned char c : text) {
        inputs.push_back(Ch(c));
    }
    return inputs;
}

TEST(KeyDecoderTest, MouseReportsBecomeMouseEvents) {
    struct Case {
        const char* sequence;
        MouseReport report;
    } cases[] = {
        {"\x1b[<0;26;8M", {0, 25, 7, true}},     // left press, cells from 0
        {"\x1b[<0;26;8m", {0, 25, 7, false}},    // its release
        {"\x1b[<64;1;1M", {64, 0, 0, true}},     // wheel up
        {"\x1b[<2;100;40M", {2, 99, 39, true}},  // right button, far away
    };
    for (const auto& c : cases) {
        KeyDecoder decoder;
        std::vector<KeyEvent> events;
        for (const KeyInput& input : Chars(c.sequence)) {
            if (auto event = decoder.Feed(input)) {
                events.push_back(*event);
            }
        }
        ASSERT_EQ(events.size(), 1u) << c.sequence + 1;
        EXPECT_EQ(events[0].action, Action::Mouse);
        EXPECT_EQ(events[0].mouse.button, c.report.button);
        EXPECT_EQ(events[0].mouse.col, c.report.col);
        EXPECT_EQ(events[0].mouse.row, c.report.row);
        EXPECT_EQ(events[0].mouse.press, c.report.press);
        EXPECT_FALSE(decoder.escapePending());
    }
}

TEST(KeyDecoderTest, AltKeysTheTerminalDescriptionLacksAreReadFromTheirSequence) {
    struct Case {
        const char* sequence;
        Action action;
    } cases[] = {
        {"\x1b[1;3B", Action::OpenList},  // Alt+Down
        {"\x1b[1;3A", Action::Up},
        {"\x1b[1;3S", Action::Close},  // Alt+F4
    };
    for (const auto& c : cases) {
        KeyDecoder decoder;
        std::vector<KeyEvent> events;
        for (const KeyInput& input : Chars(c.sequence)) {
            if (auto event = decoder.Feed(input)) {
                events.push_back(*event);
            }
        }
        ASSERT_EQ(events.size(), 1u) << c.sequence + 1;
        EXPECT_EQ(events[0].action, c.action);
    }
}

TEST(KeyDecoderTest, UnknownAndBrokenSequencesAreDroppedWholeAndTypingGoesOn) {
    for (const char* sequence :
         {"\x1b[<0;0;8M", "\x1b[<1;2M", "\x1b[<a", "\x1b[1;5C", "\x1b[200~", "\x1b[<1;2;3;4M",
          "\x1b[<99999999999999999999999999M", "\x1b[<0;1;1X"}) {
        KeyDecoder decoder;
        for (const KeyInput& input : Chars(sequence)) {
            EXPECT_FALSE(decoder.Feed(input).has_value()) << sequence + 1;
        }
        decoder.Timeout();  // an unfinished sequence ends quietly
        const auto next = decoder.Feed(Ch('x'));
        ASSERT_TRUE(next.has_value()) << sequence + 1;
        EXPECT_EQ(next->action, Action::Char);
    }
    // Unfinished at the timeout: no cancel command comes of it.
    KeyDecoder decoder;
    for (const KeyInput& input : Chars("\x1b[<0;1")) {
        decoder.Feed(input);
    }
    EXPECT_TRUE(decoder.escapePending());
    EXPECT_FALSE(decoder.Timeout().has_value());
}

TEST(KeyDecoderTest, LoneEscapeCancelsOnTimeoutOnly) {
    KeyDecoder decoder;
    EXPECT_FALSE(decoder.Timeout().has_value());
    EXPECT_FALSE(decoder.Feed(Ch(0x1B)).has_value());
    EXPECT_TRUE(decoder.escapePending());
    const auto event = decoder.Timeout();
    ASSERT_TRUE(event.has_value());
    EXPECT_EQ(event->action, Action::Cancel);
    EXPECT_FALSE(decoder.escapePending());
    // Esc followed by punctuation means nothing and leaves no Esc pending.
    decoder.Feed(Ch(0x1B));
    EXPECT_FALSE(decoder.Feed(Ch('.')).has_value());
    EXPECT_FALSE(decoder.escapePending());
}

}  // namespace
}  // namespace frontend
