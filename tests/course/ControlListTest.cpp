#include "course/CourseFixture.h"
#include "EventRows.h"

#include "course/ControlCreation.h"
#include "course/ControlList.h"

namespace {

using ControlList = CourseFixture;

} // namespace

TEST_F(ControlList, TheLineOfAGeneratedStartRow)
{
    EXPECT_EQ(ControlListLine(StartRow(QStringLiteral("Start"))), QStringLiteral("    S   10   0 S   -1   -1 Start"));
}

TEST_F(ControlList, LinesInCodeOrderWithWideValuesAndEmptyFields)
{
    InsertControlRows(*data, {ScoringControlRow(31, true, QStringLiteral("P:31")), StartRow(QStringLiteral("s1")),
                              ScoringControlRow(100, false, QStringLiteral("100% hill"))});
    ControlRow wide = ScoringControlRow(5, false, QString());
    wide.posX = 123456;
    wide.posY = -2770;
    InsertControlRows(*data, {wide});
    insertRow(*data, QStringLiteral("control"), {{"controlnr", "W"}});
    EXPECT_EQ(ControlListLines(data->connection()), QStringList({
                                                        "  100  100  10 C   -1   -1 100% hill",
                                                        "   31   42   3 C   -1   -1 P:31",
                                                        "    5    5   0 C 123456 -2770 ",
                                                        "    S   10   0 S   -1   -1 s1",
                                                        "    W    0   0      0    0 ",
                                                    }));
}
