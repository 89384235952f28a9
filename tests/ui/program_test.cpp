// SPDX-License-Identifier: MIT
// The windows' lifecycle on the fake runtime: one instance of each window, About opened by its
// banner, F1 or a screen reader and closed by a click, Escape or the platform; the program ends
// when the last window goes, whichever it is.
#include "Session.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace {

using platform::Command;

TEST(Program, StartsWithTheMainWindowAlone) {
    Session s;
    ASSERT_TRUE(s.main());
    EXPECT_FALSE(s.about());
    EXPECT_EQ(s.runtime.loads("Form2"), 0); // made when first shown
    EXPECT_EQ(s.runtime.quits(), 0);
}

TEST(Program, ClosingTheMainWindowAloneEndsIt) {
    for (const bool byPicture : {true, false}) {
        SCOPED_TRACE(byPicture ? "close picture" : "close command");
        Session s;
        s.main()->picture("Image3").click(); // the title banner beside it does nothing
        s.main()->click();
        ASSERT_TRUE(s.main());
        if (byPicture)
            s.main()->picture("Image1").click();
        else
            s.main()->command(Command::Close);
        EXPECT_FALSE(s.main());
        EXPECT_EQ(s.runtime.quits(), 1);
    }
}

TEST(Program, AFaultThatLeavesAHandlerIsToldAndEndsIt) {
    fake::Runtime runtime;
    ui::Program program(runtime);
    runtime.loop = [] {
        throw std::runtime_error("no memory for the text");
    };
    EXPECT_EQ(program.run(), ui::Program::failureStatus);
    ASSERT_EQ(runtime.messages().size(), 1u);
    const fake::Message& told = runtime.messages().front();
    EXPECT_EQ(told.owner, design::text::title);
    EXPECT_EQ(told.text, std::string(design::text::internalError) + "no memory for the text");
}

TEST(Program, AboutIsOneWindowShownAgainAndLoadedAfresh) {
    Session s;
    for (int i = 0; i < 3; ++i)
        s.main()->picture("Image4").click();
    ASSERT_TRUE(s.about());
    EXPECT_EQ(s.runtime.loads("Form2"), 1);
    EXPECT_EQ(s.about()->shows(), 3); // shown again: raised, not made again
    const fake::Window& about = *s.about();
    EXPECT_EQ(about.title(), "Form2");
    EXPECT_EQ(about.accessibleName(), "About Velmora Temperature Converter");
    EXPECT_EQ(about.description(), "Velmora Temperature Converter. Version 1.0. Written by Orla "
                                   "Vantreeve. orla.vantreeve@example.org. Lantern Quay, "
                                   "Velmora. 1999.");
    EXPECT_EQ(about.properties().width, 542);
    EXPECT_EQ(about.properties().height, 290);
    EXPECT_STREQ(about.properties().background.name, design::pictures::aboutCard.name);
    EXPECT_TRUE(about.order().empty());

    s.about()->click();
    EXPECT_FALSE(s.about());
    EXPECT_TRUE(s.main());
    s.main()->picture("Image4").click();
    EXPECT_EQ(s.runtime.loads("Form2"), 2);
    EXPECT_EQ(s.runtime.quits(), 0);
}

TEST(Program, EveryWayOfClosingAboutLeavesTheMainWindow) {
    struct Way {
        const char* name;
        void (*close)(fake::Window&);
    };
    const Way ways[] = {
        {"click",
         [](fake::Window& w) {
             w.click({{5000, 300, 200}});
         }},
        {"screen reader's press",
         [](fake::Window& w) {
             w.click();
         }},
        {"Escape",
         [](fake::Window& w) {
             w.command(Command::Dismiss);
         }},
        {"close command",
         [](fake::Window& w) {
             w.command(Command::Close);
         }},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        Session s;
        s.main()->command(Command::Help); // F1, the keyboard's way to About
        ASSERT_TRUE(s.about());
        EXPECT_TRUE(s.about()->properties().escapeDismisses && s.about()->properties().pressable);
        way.close(*s.about());
        EXPECT_FALSE(s.about());
        EXPECT_TRUE(s.main());
    }
}

TEST(Program, TheMainWindowKeepsEscapeForItsInput) {
    Session s;
    s.main()->command(Command::Dismiss);
    EXPECT_TRUE(s.main());
}

TEST(Program, AboutOutlivesTheMainWindowAndEndsTheProgram) {
    for (const bool aboutLast : {true, false}) {
        SCOPED_TRACE(aboutLast ? "main window closed first" : "About closed first");
        Session s;
        s.main()->picture("Image4").click();
        if (aboutLast) {
            s.main()->picture("Image1").click();
            ASSERT_TRUE(s.about());
            EXPECT_EQ(s.runtime.quits(), 0);
            s.about()->click();
        } else {
            s.about()->command(Command::Close);
            EXPECT_EQ(s.runtime.quits(), 0);
            s.main()->command(Command::Close);
        }
        EXPECT_FALSE(s.main());
        EXPECT_FALSE(s.about());
        EXPECT_EQ(s.runtime.quits(), 1);
    }
}

// About opens centred, over the banner that opened it: the second click of a double-click on the
// banner lands on About and must not close it.
TEST(Program, TheRestOfADoubleClickDoesNotCloseAbout) {
    using Press = platform::Click::Press;
    constexpr platform::DoubleClick limits = fake::Runtime::doubleClickLimits;
    struct Row {
        const char* name;
        std::optional<Press> opening, second;
        bool stays;
    };
    const Row rows[] = {
        {"the same place, within the interval", Press{1000, 640, 500},
         Press{1000 + limits.interval, 640, 500}, true},
        {"a few pixels off", Press{1000, 640, 500},
         Press{1100, 640 + limits.distance, 500 - limits.distance}, true},
        {"after the interval", Press{1000, 640, 500}, Press{1001 + limits.interval, 640, 500},
         false},
        {"elsewhere on About", Press{1000, 640, 500}, Press{1100, 641 + limits.distance, 500},
         false},
        {"the clock wrapping around", Press{0xFFFFFFF0u, 640, 500}, Press{100, 640, 500}, true},
        {"opened by a screen reader", std::nullopt, Press{1000, 640, 500}, false},
        {"closed by a screen reader", Press{1000, 640, 500}, std::nullopt, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Session s;
        s.main()->picture("Image4").click(row.opening);
        s.about()->click(row.second);
        EXPECT_EQ(s.about() != nullptr, row.stays);
        if (s.about()) {
            s.about()->click(Press{row.second->time + 10, 640, 500}); // the user's own click
            EXPECT_FALSE(s.about());
        }
    }
}

TEST(Placement, CentresWhatFitsAndKeepsTheRestOnTheArea) {
    const platform::Rect area{100, 50, 1000, 700};
    struct Row {
        int width, height, left, top;
    };
    for (const Row& row : {Row{572, 287, 314, 256}, Row{1200, 287, 100, 256},
                           Row{572, 900, 314, 50}, Row{1200, 900, 100, 50}}) {
        const auto [left, top] = platform::centredOrigin(area, row.width, row.height);
        EXPECT_EQ(left, row.left) << row.width << "x" << row.height;
        EXPECT_EQ(top, row.top) << row.width << "x" << row.height;
    }
}

TEST(Placement, AScreenReaderIsToldOnlyWhatShowsOfAPicture) {
    struct Row {
        const char* control;
        platform::Rect visible;
    };
    for (const Row& row : {Row{"Image3", {0, 0, 572, 67}}, Row{"Image4", {0, 224, 572, 63}},
                           Row{"Image1", {552, 0, 20, 18}}}) {
        const design::Placement& p = *design::findPlacement(row.control);
        const platform::Rect shown =
            platform::visiblePart({design::toPixels(p.left), design::toPixels(p.top),
                                   design::toPixels(p.width), design::toPixels(p.height)},
                                  572, 287);
        EXPECT_EQ(
            std::tie(shown.left, shown.top, shown.width, shown.height),
            std::tie(row.visible.left, row.visible.top, row.visible.width, row.visible.height))
            << row.control;
    }
}

} // namespace
