#include "lidar/DataListModel.h"

#include <QAbstractItemModelTester>
#include <gtest/gtest.h>

namespace {

// Rows 0..count-1 whose intensity tells which batch wrote them.
std::vector<DataListRow> rows(int count, int batch) {
    std::vector<DataListRow> out(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        out[static_cast<std::size_t>(i)].index = i;
        out[static_cast<std::size_t>(i)].intensity = batch;
    }
    return out;
}

QStringList intensities(const DataListModel& model) {
    QStringList column;
    for (int r = 0; r < model.rowCount(); ++r) {
        column << model.data(model.index(r, 4)).toString();
    }
    return column;
}

} // namespace

TEST(DataListModel, FramesOverwriteTheTopAndSelectionsReplaceTheWholeList) {
    DataListModel model;
    // Fails the test on any change a view could not follow.
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(model.columnCount(), 6);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "Points_m_XYZ");

    model.overwriteTop(rows(4, 1));
    model.overwriteTop(rows(2, 2)); // a shorter frame leaves the older rows below
    EXPECT_EQ(intensities(model), QStringList({"2.0000", "2.0000", "1.0000", "1.0000"}));

    std::vector<DataListRow> selection = rows(3, 3);
    model.replaceAll(selection);
    EXPECT_EQ(intensities(model), QStringList({"3.0000", "3.0000", "3.0000"}));
    std::vector<DataListRow> more = rows(5, 4);
    model.replaceAll(more);
    EXPECT_EQ(intensities(model).join(" "), "4.0000 4.0000 4.0000 4.0000 4.0000");
    EXPECT_EQ(model.text(4, 0), "4");
    EXPECT_EQ(model.text(5, 0), ""); // below the list

    model.clear();
    EXPECT_EQ(model.rowCount(), 0);
}
