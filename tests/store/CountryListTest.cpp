#include "TestFolder.h"

#include "store/CountryList.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

TEST(CountryList, CodeEqualsNameLinesRoundTrip)
{
    QTemporaryDir dir;
    const QString file = CountryListFileName(ProgramFiles::inProgramDirectory(folderOf(dir)));
    writeFile(file, "EST=Estonia\r\nLTU=Lithuania\r\n\r\nXYZ\r\n");
    const CountryList countries = LoadCountryList(file);
    ASSERT_EQ(countries.size(), 3u);
    EXPECT_EQ(countries[1], Country("LTU", "Lithuania"));
    EXPECT_EQ(countries[2], Country("XYZ", ""));
    SaveCountryList(file, countries);
    EXPECT_EQ(readFile(file), QByteArray("EST=Estonia\r\nLTU=Lithuania\r\nXYZ=\r\n"));
}

TEST(CountryList, CodesStayUniqueInTheEditor)
{
    CountryListModel model;
    model.setCountries({{"EST", "Estonia"}, {"LTU", "Lithuania"}});
    QSignalSpy rejected(&model, &CountryListModel::rejectedCode);
    EXPECT_FALSE(model.setData(model.index(1, 0), QStringLiteral("EST"), Qt::EditRole));
    EXPECT_EQ(rejected.count(), 1);
    EXPECT_EQ(model.countries()[1].first, QStringLiteral("LTU"));
    EXPECT_TRUE(model.setData(model.index(1, 0), QStringLiteral("LAT"), Qt::EditRole));
    EXPECT_TRUE(model.insertRows(2, 1));
    EXPECT_TRUE(model.setData(model.index(2, 0), QStringLiteral("FIN"), Qt::EditRole));
    EXPECT_TRUE(model.setData(model.index(2, 1), QStringLiteral("Finland"), Qt::EditRole));
    EXPECT_TRUE(model.removeRows(0, 1));
    EXPECT_EQ(model.countries(), CountryList({{"LAT", "Lithuania"}, {"FIN", "Finland"}}));
    EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Ctry"));
}
