#include "character/picture_choice.h"

#include <gtest/gtest.h>

#include <vector>

#include "character/speech.h"

namespace {

// Hands out scripted draws and counts them.
struct ScriptedDraw {
    std::vector<int> values;
    size_t used = 0;
    RandomDraw Port() {
        return [this] { return values[used++ % values.size()]; };
    }
};

PictureChoice Pick(uint32_t kind, uint32_t seconds, bool warning, ScriptedDraw& draw) {
    return ChoosePicture(kind, seconds, warning, draw.Port());
}

TEST(ChoosePicture, GreetingsAndFarewellsByExpressionWithoutDrawing) {
    ScriptedDraw draw{{1}};
    const PictureChoice frame0{PictureRole::AnimationFrame, 0};
    const PictureChoice yawn{PictureRole::Yawn, 0};
    EXPECT_EQ(Pick(1051, 0, false, draw), frame0);
    EXPECT_EQ(Pick(1052, 0, false, draw), yawn);
    EXPECT_EQ(Pick(1053, 0, false, draw), frame0);
    EXPECT_EQ(Pick(1054, 500'000, true, draw), frame0);
    EXPECT_EQ(Pick(1055, 0, false, draw), yawn);
    EXPECT_EQ(Pick(1056, 0, false, draw), frame0);
    EXPECT_EQ(Pick(IDT_QUICKMENU, 0, false, draw), (PictureChoice{PictureRole::Click, 0}));
    EXPECT_EQ(Pick(IDT_FINISHNOTICE, 200'000, false, draw),
              (PictureChoice{PictureRole::ViewingEnd, 0}));
    EXPECT_EQ(draw.used, 0u);
}

TEST(ChoosePicture, ChimesVaryOnlyAfterTheFirstAndSecondDay) {
    for (uint32_t kind : {IDT_HOURLY, IDT_ALARM}) {
        ScriptedDraw draw{{5}};
        EXPECT_EQ(Pick(kind, 0, false, draw), (PictureChoice{PictureRole::Chime, 0}));
        EXPECT_EQ(Pick(kind, 86'399, false, draw), (PictureChoice{PictureRole::Chime, 0}));
        EXPECT_EQ(draw.used, 0u);
        // 5 mod 2 = 1, 5 mod 3 = 2.
        EXPECT_EQ(Pick(kind, 86'400, false, draw), (PictureChoice{PictureRole::Chime, 1}));
        EXPECT_EQ(Pick(kind, 172'799, false, draw), (PictureChoice{PictureRole::Chime, 1}));
        EXPECT_EQ(Pick(kind, 172'800, false, draw), (PictureChoice{PictureRole::Chime, 2}));
        EXPECT_EQ(Pick(kind, UINT32_MAX, false, draw), (PictureChoice{PictureRole::Chime, 2}));
        EXPECT_EQ(draw.used, 4u);
    }
    ScriptedDraw zero{{32767, 0}};
    EXPECT_EQ(Pick(IDT_HOURLY, 172'800, false, zero), (PictureChoice{PictureRole::Chime, 1}));
    EXPECT_EQ(Pick(IDT_HOURLY, 172'800, false, zero), (PictureChoice{PictureRole::Chime, 0}));
}

TEST(ChoosePicture, ElapsedLinesWarnOrReportAndAlternateAfterADay) {
    ScriptedDraw draw{{4, 7}};
    EXPECT_EQ(Pick(IDT_ELAPSED, 0, true, draw), (PictureChoice{PictureRole::Warning, 0}));
    EXPECT_EQ(Pick(IDT_ELAPSED, 300'000, true, draw), (PictureChoice{PictureRole::Warning, 0}));
    EXPECT_EQ(Pick(IDT_ELAPSED, 86'399, false, draw), (PictureChoice{PictureRole::Report, 0}));
    EXPECT_EQ(draw.used, 0u);
    EXPECT_EQ(Pick(IDT_ELAPSED, 86'400, false, draw),
              (PictureChoice{PictureRole::SecondReport, 0}));  // 4 is even
    EXPECT_EQ(Pick(IDT_ELAPSED, 86'400, false, draw),
              (PictureChoice{PictureRole::Report, 0}));  // 7 is odd
    EXPECT_EQ(draw.used, 2u);
}

TEST(ChoosePicture, IdsThatAreNoSpeechKeepThePicture) {
    ScriptedDraw draw{{0}};
    for (uint32_t id : {0u, 1050u, 1057u, IDT_TICK, 99999u})
        EXPECT_EQ(Pick(id, 0, false, draw).role, PictureRole::None) << id;
}

}  // namespace
