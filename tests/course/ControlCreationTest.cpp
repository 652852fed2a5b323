#include "course/CourseFixture.h"

#include "base/KorventError.h"
#include "course/ControlCreation.h"

namespace {

using ControlCreation = CourseFixture;

} // namespace

TEST_F(ControlCreation, TwentyToFiftyNineWithTheDefaultsGivesFortyFourRows)
{
    EXPECT_EQ(CreateControls(*data, 20, 59, false, true), 44);
    const QStringList rows = controls();
    ASSERT_EQ(rows.size(), 44);
    EXPECT_EQ(rows[0], QStringLiteral("20 20 2 C -1 -1 P:20"));
    EXPECT_EQ(rows[11], QStringLiteral("31 31 3 C -1 -1 P:31"));
    EXPECT_EQ(rows[39], QStringLiteral("59 59 5 C -1 -1 P:59"));
    EXPECT_EQ(rows.mid(40), QStringList({"S 10 0 S -1 -1 Start", "F 11 0 F -1 -1 Finish", "I 200 0 I -1 -1 CheckIN",
                                         "O 201 0 O -1 -1 CheckOUT"}));
}

TEST_F(ControlCreation, RowsFollowTheCheckBoxesAndTheRange)
{
    struct Case
    {
        qint64 from, to;
        bool unitPlus11, checkInOut;
        QStringList rows;
    };
    const Case cases[] = {
        // To below From: only the special rows.
        {40, 39, false, true, {"S 10 0 S -1 -1 Start", "F 11 0 F -1 -1 Finish", "I 200 0 I -1 -1 CheckIN", "O 201 0 O -1 -1 CheckOUT"}},
        {40, 39, false, false, {"S 10 0 S -1 -1 Start", "F 11 0 F -1 -1 Finish"}},
        // Units +11: control 31 is punched as 42 and still worth 3.
        {31, 32, true, false, {"31 42 3 C -1 -1 P:31", "32 43 3 C -1 -1 P:32", "S 10 0 S -1 -1 Start", "F 11 0 F -1 -1 Finish"}},
        {9, 9, false, false, {"9 9 0 C -1 -1 P:9", "S 10 0 S -1 -1 Start", "F 11 0 F -1 -1 Finish"}},
    };
    for (const Case &c : cases) {
        QStringList rows;
        for (const ControlRow &row : CreatedControlRows(c.from, c.to, c.unitPlus11, c.checkInOut))
            rows.append(QStringLiteral("%1 %2 %3 %4 %5 %6 %7").arg(row.controlnr).arg(row.unitnumber).arg(row.points).arg(row.type)
                            .arg(row.posX).arg(row.posY).arg(row.text));
        EXPECT_EQ(rows, c.rows) << c.from << ".." << c.to;
    }
}

TEST_F(ControlCreation, RowsAreAddedToThoseThereAndOutOfRangeNumbersChangeNothing)
{
    CreateControls(*data, 31, 31, false, false);
    CreateControls(*data, 31, 31, false, false);
    EXPECT_EQ(controls().size(), 6) << "duplicates are the organiser's to correct";

    for (const auto &[from, to] : {std::pair<qint64, qint64>{-1, 5}, {20, 100'000}}) {
        try {
            CreateControls(*data, from, to, false, true);
            ADD_FAILURE() << from << ".." << to << " was accepted";
        } catch (const KorventError &error) {
            EXPECT_TRUE(error.message().contains(QStringLiteral("outside 0 to 99999"))) << error.message().toStdString();
        }
    }
    EXPECT_EQ(controls().size(), 6);
}
