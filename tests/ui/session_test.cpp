// SPDX-License-Identifier: MIT
// A long seeded random session on the fake runtime. Before each action it reads what the main
// window holds; after it, it checks what the program decides against an independent prediction:
// which characters the input takes, the messages, the three outputs (from the conversion model in
// tests/support) and the input's problem cue. VELMORA_SESSION_SEEDS and VELMORA_SESSION_ACTIONS
// override the seeds and the length; a failure names the seed and the action, to replay it.
#include "Session.h"
#include "conversion_oracle.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <gtest/gtest.h>
#include <random>
#include <sstream>

namespace {

constexpr std::size_t limit = 50'000;
const std::string refusedMessage(design::text::refusedCharacter);
const std::string tooLongMessage(design::text::tooLong);

// What may make up a number: the digits and the full stop; backspace too, as a key.
bool numberCharacter(char32_t c) {
    return (c >= '0' && c <= '9') || c == '.';
}

class Dice {
public:
    explicit Dice(std::uint64_t seed)
        : m_engine(seed) {}
    int below(int n) { return static_cast<int>(m_engine() % static_cast<std::uint64_t>(n)); }
    bool chance(double p) { return std::uniform_real_distribution<>(0, 1)(m_engine) < p; }
    template <class T, std::size_t N> const T& pick(const T (&items)[N]) {
        return items[below(static_cast<int>(N))];
    }

private:
    std::mt19937_64 m_engine;
};

// Keys that type a refused character: signs, blanks, letters, Enter, Escape, the editing
// shortcuts that arrive as control characters, characters beyond ASCII.
const char16_t refusedKeys[] = {'-', '+', ' ', ',', 'e', 'E', 'x',  13,     27,
                                1,   3,   22,  24,  26,  127, 0xe9, 0x20ac, 0x0663};
// Pieces of pasted text that are refused; a backspace in text is no key.
const char* const refusedPieces[] = {
    " ", "-", "+", "e", ",", "x", "\b", "\xc2\xb0", "\xc3\xa9", "\xe2\x82\xac", "\xf0\x9f\x8c\xa1"};
const char* const scaleTexts[] = {"Celsius", "Fahrenheit", "Kelvin",  "celsius", "KELVIN", "Kelvi",
                                  "Kelvin ", " Celsius",   "Rankine", "x",       ""};
const char* const scaleNames[] = {"Celsius", "Fahrenheit", "Kelvin"};

class RandomSession {
public:
    RandomSession(std::uint64_t seed, int actions)
        : m_seed(seed)
        , m_actions(actions)
        , m_dice(seed) {}

    void run() {
        for (m_index = 1; m_index <= m_actions && !::testing::Test::HasFailure(); ++m_index) {
            act();
            check();
        }
    }

private:
    fake::TextBox& input() const { return m_s.input(); }

    void act() {
        // A long input makes every action slow; users clear it soon too.
        if (input().length() > 2000 && m_dice.chance(0.2)) {
            input().selectAll();
            return deleteKey();
        }
        const int roll = m_dice.below(100);
        if (roll < 45)
            typeKey();
        else if (roll < 62)
            paste();
        else if (roll < 70)
            selectSomething();
        else if (roll < 75)
            deleteKey();
        else if (roll < 85)
            pickScale();
        else if (roll < 90)
            typeScale();
        else
            about();
    }

    void typeKey() {
        const int kind = m_dice.below(10);
        char16_t code = kind < 6   ? static_cast<char16_t>('0' + m_dice.below(10))
                        : kind < 7 ? u'.'
                        : kind < 8 ? char16_t{8}
                                   : m_dice.pick(refusedKeys);
        const bool repeat = m_lastKey == code && m_dice.chance(0.5);
        note("type " + std::to_string(code) + (repeat ? " (held)" : ""));
        const std::u16string before = fake::Utf16(input().text());
        const std::size_t from = input().selectionStart(), to = input().cursor();
        input().type(code, repeat);
        m_lastKey = code;

        if (repeat && code == m_heldRefusal)
            return expectText(before);
        m_heldRefusal = 0;
        const bool accepted = numberCharacter(code) || code == 8;
        if (accepted && code != 8 && before.size() - (to - from) + 1 > limit) {
            m_messages.push_back(tooLongMessage);
        } else if (!accepted) {
            m_messages.push_back(refusedMessage);
        } else {
            std::u16string after = before;
            if (code != 8)
                after.replace(from, to - from, 1, code);
            else if (from != to)
                after.erase(from, to - from);
            else if (from > 0)
                after.erase(from - 1, 1);
            expectText(after);
            return;
        }
        m_heldRefusal = code;
        expectText(before);
    }

    std::string pastedText() {
        if (m_dice.chance(0.01))
            return std::string(limit - 100 + static_cast<std::size_t>(m_dice.below(200)),
                               static_cast<char>('1' + m_dice.below(9)));
        std::string text;
        for (int n = m_dice.below(8); n >= 0; --n) {
            if (m_dice.chance(0.7))
                text += static_cast<char>(m_dice.chance(0.15) ? '.' : '0' + m_dice.below(10));
            else
                text += m_dice.pick(refusedPieces);
        }
        return text;
    }

    void paste() {
        const std::string text = pastedText();
        note("paste " + oracle::Quoted(text));
        const std::u16string before = fake::Utf16(input().text());
        const std::size_t from = input().selectionStart(), to = input().cursor();
        input().paste(text);

        std::u16string kept;
        bool refused = false;
        std::size_t length = 0;
        for (char16_t c : fake::Utf16(text)) {
            ++length;
            if (c < 0x80 && numberCharacter(c))
                kept += c;
            else
                refused = true;
        }
        if (before.size() - (to - from) + length > limit) {
            m_messages.push_back(tooLongMessage);
            return expectText(before);
        }
        std::u16string after = before;
        if (!kept.empty()) // nothing kept: the selection stays
            after.replace(from, to - from, kept);
        if (refused)
            m_messages.push_back(refusedMessage);
        expectText(after);
    }

    void selectSomething() {
        const int length = static_cast<int>(input().length());
        const std::size_t a = static_cast<std::size_t>(m_dice.below(length + 1));
        const std::size_t b =
            m_dice.chance(0.5) ? a : static_cast<std::size_t>(m_dice.below(length + 1));
        note("select " + std::to_string(a) + ".." + std::to_string(b));
        input().select(a, b);
    }

    void deleteKey() {
        note("Delete");
        std::u16string after = fake::Utf16(input().text());
        const std::size_t from = input().selectionStart(), to = input().cursor();
        input().pressDelete();
        if (from != to)
            after.erase(from, to - from);
        else if (from < after.size())
            after.erase(from, 1);
        expectText(after);
    }

    void pickScale() {
        const char* name = m_dice.pick(scaleNames);
        note(std::string("pick ") + name);
        m_scale = name;
        m_s.scale().pick(name);
        converted();
    }

    void typeScale() {
        m_scale = m_dice.pick(scaleTexts);
        note("scale field " + oracle::Quoted(m_scale));
        m_s.scale().typeText(m_scale);
    }

    void about() {
        const int way = m_dice.below(4);
        note("About " + std::to_string(way));
        if (!m_s.about()) {
            if (way < 2)
                m_s.main()->picture("Image4").click();
            else
                m_s.main()->command(platform::Command::Help);
            EXPECT_TRUE(m_s.about()) << where();
        } else if (way < 2) {
            m_s.about()->click();
            EXPECT_FALSE(m_s.about()) << where();
        } else {
            m_s.about()->command(way == 2 ? platform::Command::Dismiss : platform::Command::Close);
            EXPECT_FALSE(m_s.about()) << where();
        }
    }

    // The text the input must hold now. Each change the box reported ran a conversion; an edit
    // that puts back what it replaces is a change too.
    void expectText(const std::u16string& text) {
        const std::string now = input().text();
        ASSERT_EQ(now, fake::Utf8(text)) << where();
        if (input().changes() != m_changes) {
            m_changes = input().changes();
            m_input = now;
            converted();
        }
    }

    void converted() {
        const oracle::ModelRun run = oracle::ModelConvert(m_input, m_scale);
        for (const oracle::ModelRun::Write& write : run.writes)
            m_outputs[static_cast<std::size_t>(write.box)] = write.text;
        m_problem = run.outcome;
    }

    void check() {
        ASSERT_EQ(m_s.outputs(), std::vector<std::string>(m_outputs.begin(), m_outputs.end()))
            << where();
        const std::vector<fake::Message>& shown = m_s.runtime.messages();
        ASSERT_EQ(shown.size(), m_messages.size()) << where();
        for (; m_checkedMessages < shown.size(); ++m_checkedMessages)
            ASSERT_EQ(shown[m_checkedMessages].text, m_messages[m_checkedMessages]) << where();
        const std::string& tip = input().tip();
        switch (m_problem) {
        case oracle::ModelRun::Completes:
            ASSERT_FALSE(input().marked()) << where();
            ASSERT_EQ(tip, "Please enter the value to convert") << where();
            break;
        case oracle::ModelRun::ConversionError:
            ASSERT_TRUE(input().marked() && tip.starts_with("Not a number")) << where();
            break;
        case oracle::ModelRun::OverflowError:
            ASSERT_TRUE(input().marked() && tip.starts_with("Out of range")) << where();
            break;
        }
        ASSERT_TRUE(m_s.main()) << where();
    }

    void note(std::string what) {
        m_log.push_back("#" + std::to_string(m_index) + " " + std::move(what));
        if (m_log.size() > 10)
            m_log.pop_front();
    }

    std::string where() const {
        std::ostringstream out;
        out << "seed " << m_seed << ", action " << m_index << "; the last actions:";
        for (const std::string& line : m_log)
            out << "\n  " << (line.size() > 160 ? line.substr(0, 160) + "..." : line);
        return out.str();
    }

    std::uint64_t m_seed;
    int m_actions;
    Dice m_dice;
    int m_index = 0;
    std::deque<std::string> m_log;
    Session m_s;

    // What the program must show, from the session so far.
    std::string m_input;
    std::string m_scale = "Celsius";
    std::array<std::string, 3> m_outputs;
    oracle::ModelRun::Outcome m_problem = oracle::ModelRun::Completes;
    std::vector<std::string> m_messages;
    int m_changes = 0;
    std::size_t m_checkedMessages = 0;
    char16_t m_lastKey = 0;
    char16_t m_heldRefusal = 0;
};

std::vector<std::uint64_t> seeds() {
    std::vector<std::uint64_t> seeds{12, 20240611, 987654321};
    if (const char* chosen = std::getenv("VELMORA_SESSION_SEEDS")) {
        seeds.clear();
        std::istringstream list(chosen);
        for (std::uint64_t seed; list >> seed;)
            seeds.push_back(seed);
    }
    return seeds;
}

TEST(RandomSession, ProgramDecidesAsPredicted) {
    const char* actions = std::getenv("VELMORA_SESSION_ACTIONS");
    for (const std::uint64_t seed : seeds()) {
        RandomSession(seed, actions ? std::atoi(actions) : 20'000).run();
        if (::testing::Test::HasFailure())
            return;
    }
}

} // namespace
