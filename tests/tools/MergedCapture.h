#pragma once

#include "capture/CaptureRecords.h"
#include "support/TestCaptureWriter.h"

#include <QString>
#include <QStringList>
#include <algorithm>
#include <gtest/gtest.h>
#include <optional>
#include <vector>

// When the first record of a capture was taken, in nanoseconds since 1970.
inline std::int64_t captureStart(const QString& path) {
    ReadOnlyFile file;
    QString error;
    EXPECT_TRUE(file.open(path, &error)) << error.toStdString();
    std::int64_t start = 0;
    CaptureRecords::walk(file,
                         [&](const CaptureRecord& r) {
                             start = r.time;
                             return false;
                         },
                         {});
    return start;
}

// Writes the records of several captures into one, as one capture of
// several sensors on one network holds them: each capture moved in time to
// begin at `start` (by default where the first begins), as if all had been
// taken at once, then every record in the order of its time (the first
// capture's first when two were taken at the same time).
inline void mergeCaptures(const QStringList& inputs, const QString& output,
                          std::optional<std::int64_t> start = std::nullopt) {
    struct Record {
        std::int64_t time;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<Record> records;
    for (const QString& input : inputs) {
        ReadOnlyFile file;
        QString error;
        ASSERT_TRUE(file.open(input, &error)) << error.toStdString();
        std::optional<std::int64_t> shift;
        const CaptureRecords::Outcome walked = CaptureRecords::walk(
            file,
            [&](const CaptureRecord& r) {
                EXPECT_EQ(r.linkType, 1u);
                if (!start) {
                    start = r.time;
                }
                if (!shift) {
                    shift = *start - r.time;
                }
                records.push_back(
                    {r.time + *shift, std::vector<std::uint8_t>(r.data, r.data + r.length)});
                return true;
            },
            {});
        ASSERT_TRUE(walked.ok) << walked.errorText.toStdString();
    }
    std::stable_sort(records.begin(), records.end(),
                     [](const Record& a, const Record& b) { return a.time < b.time; });
    TestCaptureWriter writer(output.toStdString(), {});
    for (const Record& r : records) {
        writer.writeRecord(r.bytes.data(), static_cast<std::uint32_t>(r.bytes.size()), 0, r.time);
    }
    writer.close();
    ASSERT_TRUE(writer.ok());
}
