// The program assembly: every part exists once the Program is built, and the roles line control
// calls are bound before any line can open, so the first call of a run is recorded.
#include "tests/e2e/program_rig.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace qlnrec::test {
namespace {

TEST(ProgramAssembly, TheRecorderIsBoundBeforeTheLinesOpenAndTheFirstCallIsRecorded)
{
    ProgramRig rig(QStringLiteral("sim:1"), QStringLiteral("picked_up_after_two_rings.scn"));
    // Built, not started: no line is open, yet line control already reaches the recorder.
    EXPECT_FALSE(rig.sim(0).isOpen());
    EXPECT_EQ(rig.program->roles().recording, &rig.program->recorder());
    EXPECT_EQ(&rig.program->lines().roles(), &rig.program->roles());
    EXPECT_EQ(rig.program->roles().answering, &rig.program->answering());
    EXPECT_EQ(rig.program->roles().callerId, &rig.program->callerId());
    EXPECT_EQ(rig.program->roles().blockList, &rig.program->screening());

    rig.configureLines({0});
    ASSERT_EQ(rig.start(), app::LoadResult::Loaded);
    ASSERT_TRUE(rig.play()) << rig.scenarioError.toStdString();
    rig.run(3000); // the file writer finishes within its grace second
    ASSERT_NE(rig.program->recordingLists(), nullptr);
    ASSERT_EQ(rig.program->recordingLists()->recent().size(), 1);
    const QString path = rig.state.recordingsFolder + rig.program->recordingLists()->recent().first();
    EXPECT_GT(QFileInfo(path).size(), 44) << path.toStdString();
}

} // namespace
} // namespace qlnrec::test
