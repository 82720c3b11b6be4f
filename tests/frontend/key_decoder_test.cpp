#include "frontend/terminal/key_decoder.h"

#include <curses.h>
#include <gtest/gtest.h>

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
        {Key(KEY_MOUSE), Action::Mouse, 0},   {Ch(0x03), Action::Cancel, 0},
        {Ch('x'), Action::Char, U'x'},        {Ch(0x958B), Action::Char, U'開'},
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
    EXPECT_FALSE(decoder.Feed(Ch('[')).has_value());
    EXPECT_FALSE(decoder.Timeout().has_value());
}

}  // namespace
}  // namespace frontend
