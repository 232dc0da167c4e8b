#include "advanced/AdvancedPacket.h"
#include "FactorySettingsPacket.h"
#include "advanced/DefaultConfigPacket.h"
#include "advanced/IdentityText.h"
#include "advanced/ParameterFile.h"
#include "advanced/RefreshTexts.h"
#include "advanced/WordSplit.h"
#include "device/DeviceInfoPacket.h"
#include "device/InfoTestPacket.h"

#include <gtest/gtest.h>
#include <optional>
#include <tuple>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
const QDateTime kNow(QDate(2026, 12, 7), QTime(13, 4, 5, 678));

Bytes bytesAt(const DeviceInfoPacket::Bytes& packet, std::size_t offset, std::size_t count) {
    return {packet.begin() + static_cast<std::ptrdiff_t>(offset),
            packet.begin() + static_cast<std::ptrdiff_t>(offset + count)};
}

// A captured Ethernet frame of a device-information packet from
// 192.168.1.200 (MAC 02-11-22-33-44-55) to 192.168.1.102.
std::vector<std::uint8_t> capturedFrame(const DeviceInfoPacket::Bytes& payload) {
    std::vector<std::uint8_t> frame(42 + payload.size(), 0);
    const std::uint8_t mac[] = {0x02, 0x11, 0x22, 0x33, 0x44, 0x55};
    std::copy(std::begin(mac), std::end(mac), frame.begin() + 6);
    const std::uint8_t addresses[] = {192, 168, 1, 200, 192, 168, 1, 102};
    std::copy(std::begin(addresses), std::end(addresses), frame.begin() + 26);
    std::copy(payload.begin(), payload.end(), frame.begin() + 42);
    return frame;
}

AdvancedFieldsRead read(const std::function<void(AdvancedFields&)>& edit) {
    AdvancedFields f;
    edit(f);
    return readAdvancedFields(f);
}

DeviceInfoPacket::Bytes built(const AdvancedValues& values,
                              const InfoTestPacket& reported = InfoTestPacket()) {
    DeviceInfoPacket::Bytes packet{};
    const auto frame = capturedFrame(reported.bytes);
    AdvancedPacket::build(packet, values, ByteSpan(frame.data(), frame.size()), kNow);
    return packet;
}

} // namespace

TEST(WordSplit, SplitsTheSensorsWords) {
    const std::vector<std::pair<long long, Bytes>> words16{
        {300, {0x01, 0x2C}},   {0, {0, 0}},        {65536, {0, 0}},
        {65535, {0xFF, 0xFF}}, {-1, {0xFF, 0xFF}}, {-625, {0xFD, 0x8F}}};
    for (const auto& [value, bytes] : words16) {
        const auto got = splitWord16(value);
        EXPECT_EQ(Bytes(got.begin(), got.end()), bytes) << value;
    }
    const std::vector<std::pair<long long, Bytes>> words32{{12345, {0x00, 0x00, 0x30, 0x39}},
                                                           {100000, {0x00, 0x01, 0x86, 0xA0}},
                                                           {0, {0, 0, 0, 0}},
                                                           {-1, {0xFF, 0xFF, 0xFF, 0xFF}}};
    for (const auto& [value, bytes] : words32) {
        const auto got = splitWord32(value);
        EXPECT_EQ(Bytes(got.begin(), got.end()), bytes) << value;
    }
}

// Every code, running number and version the packet can carry has a text
// that reads back as exactly its bytes; other texts are refused.
TEST(IdentityText, EveryReportedIdentityReadsBackAsItsBytes) {
    SettingData s{};
    for (int code = 0; code <= 255; ++code) {
        s.status60 = static_cast<std::uint8_t>(code);
        s.status61 = static_cast<std::uint8_t>(255 - code);
        for (const Bytes& running :
             {Bytes{0x00, 0x00, 0x30, 0x39}, Bytes{0x80, 0, 0, 0}, Bytes{0xFF, 0xFF, 0xFF, 0xFB},
              Bytes{0x7F, 0xFF, 0xFF, 0xFF}}) {
            std::copy(running.begin(), running.end(), s.status62);
            const QString text = IdentityText::serialNumber(s);
            const auto bytes = IdentityText::serialNumberBytes(text, nullptr);
            ASSERT_TRUE(bytes) << text.toStdString();
            Bytes expected{s.status60, s.status61};
            expected.insert(expected.end(), running.begin(), running.end());
            EXPECT_EQ(Bytes(bytes->begin(), bytes->end()), expected) << text.toStdString();
        }
        const std::uint8_t version[] = {'V', static_cast<std::uint8_t>(code), 12,
                                        static_cast<std::uint8_t>(255 - code)};
        std::copy(std::begin(version), std::end(version), s.status66);
        const auto numbers = IdentityText::versionNumbers(IdentityText::version(s), nullptr);
        ASSERT_TRUE(numbers);
        EXPECT_EQ(Bytes(numbers->begin(), numbers->end()), Bytes(version + 1, version + 4));
    }

    // The texts as a user reads them.
    s.status60 = 3;
    s.status61 = 1;
    const std::uint8_t running[] = {0x00, 0x00, 0x30, 0x39};
    std::copy(std::begin(running), std::end(running), s.status62);
    EXPECT_EQ(IdentityText::serialNumber(s), "K03212112345");
    s.status60 = 9;
    s.status61 = 7;
    EXPECT_EQ(IdentityText::serialNumber(s), "K(9)(7)12345");
    s.status60 = 6;
    s.status61 = 3;
    EXPECT_EQ(IdentityText::serialNumber(s), "K12820112345");
    const std::uint8_t version[] = {'V', 1, 12, 3};
    std::copy(std::begin(version), std::end(version), s.status66);
    EXPECT_EQ(IdentityText::version(s), "V1.12.3");

    // What a user types means one value or is refused, naming the field.
    const std::vector<std::pair<QString, Bytes>> typed{
        {"K008701121", {1, 0, 0, 0, 0, 121}}, {" K(6)(3)-5 ", {6, 3, 0xFF, 0xFF, 0xFF, 0xFB}}};
    for (const auto& [text, bytes] : typed) {
        const auto got = IdentityText::serialNumberBytes(text, nullptr);
        ASSERT_TRUE(got) << text.toStdString();
        EXPECT_EQ(Bytes(got->begin(), got->end()), bytes) << text.toStdString();
    }
    for (const QString refused :
         {"", "K032121", "K999121", "K032(256)5", "K0321212147483648", "xxK0087011", "K032121+5"}) {
        QString why;
        EXPECT_FALSE(IdentityText::serialNumberBytes(refused, &why)) << refused.toStdString();
        EXPECT_TRUE(why.startsWith("Serial Num: \"" + refused + "\"")) << why.toStdString();
    }
    const auto v103 = IdentityText::versionNumbers("V103", nullptr);
    ASSERT_TRUE(v103);
    EXPECT_EQ(Bytes(v103->begin(), v103->end()), (Bytes{1, 0, 3}));
    for (const QString refused : {"", "V1123", "1.2.3", "V1.2", "V1.256.0", "aV1x3"}) {
        QString why;
        EXPECT_FALSE(IdentityText::versionNumbers(refused, &why)) << refused.toStdString();
        EXPECT_TRUE(why.startsWith("Version Num: \"" + refused + "\"")) << why.toStdString();
    }
}

TEST(RefreshTexts, ShowWhatTheStatusRecordHolds) {
    const AdvancedFields zeros = refreshTexts(SettingData{});
    EXPECT_EQ(zeros.serialNumber, "K0047010");
    EXPECT_EQ(zeros.version, "V0.0.0");
    EXPECT_EQ(zeros.segmentFactors[0], "0.00");
    EXPECT_EQ(zeros.staticChannels[255], "0");
    EXPECT_EQ(zeros.pitch[31], "0");
    // The values shown already hold what earlier offsets did.
    EXPECT_EQ(zeros.left, "0");
    EXPECT_EQ(zeros.right, "0");
    EXPECT_TRUE(zeros.measureRange.isEmpty());

    SettingData s{};
    s.tableE[0] = -1;
    s.tableF[15] = 12;
    s.tableC[0][0] = 0x00;
    s.tableC[0][1] = 150;
    s.tableD[31][0] = 0xFF;
    s.tableD[31][1] = 0xFF;
    s.words[0] = 50;
    s.channelTableA[127] = -7;
    s.channelTableB[0] = 9;
    const AdvancedFields f = refreshTexts(s);
    EXPECT_EQ(f.intensity[0], "-1");
    EXPECT_EQ(f.intensity[31], "12");
    EXPECT_EQ(f.pitch[0], "1.5");
    EXPECT_EQ(f.azimuth[31], "655.35");
    EXPECT_EQ(f.segmentFactors[0], "0.50");
    EXPECT_EQ(f.staticChannels[127], "-7");
    EXPECT_EQ(f.staticChannels[128], "9");
}

TEST(AdvancedFields, DecimalTextsAreReadExactly) {
    const std::vector<std::tuple<QString, int, std::optional<long long>>> cases{
        {"0.29", 2, 29},  {"-6.25", 2, -625},  {"655.35", 2, 65535},
        {"5.", 2, 500},   {" 1.230 ", 2, 123}, {"-0", 2, 0},
        {"1.234", 2, {}}, {"2.7", 0, {}},      {"2.0", 0, 2},
        {"1e2", 2, {}},   {"+5", 0, {}},       {"-", 0, {}},
        {".", 2, {}},     {"1,5", 2, {}},      {"99999999999999999999", 0, {}}};
    for (const auto& [text, decimals, value] : cases) {
        EXPECT_EQ(scaledDecimal(text, decimals), value) << text.toStdString();
    }
}

TEST(AdvancedFields, StaticValuesTakeTheirSidesOffset) {
    const AdvancedFieldsRead r = read([](AdvancedFields& f) {
        f.right = "5";
        f.left = "-2";
        f.staticChannels[0] = " ";   // empty stays 0 whatever the offset
        f.staticChannels[1] = "3";   // 3 + 5
        f.staticChannels[127] = "1"; // last of the Right side
        f.staticChannels[128] = "1"; // first of the Left side
        f.staticChannels[200] = "-2.0";
        f.intensity[2] = "-2";
        f.measureRange = "160";
        f.serialNumber = "K0047010";
        f.version = "V0.0.0";
    });
    ASSERT_TRUE(r.ok()) << r.refusal.toStdString();
    EXPECT_EQ(r.values.staticValues[0], 0);
    EXPECT_EQ(r.values.staticValues[1], 8);
    EXPECT_EQ(r.values.staticValues[127], 6);
    EXPECT_EQ(r.values.staticValues[128], -1);
    EXPECT_EQ(r.values.staticValues[200], -4);
    EXPECT_EQ(r.values.intensityValues[2], -2);
}

TEST(AdvancedFields, HundredthsAreSentAsTyped) {
    const AdvancedFieldsRead r = read([](AdvancedFields& f) {
        f.segmentFactors[0] = "0.29"; // 28.999998 in single precision
        f.segmentFactors[6] = "3.5";
        f.pitch[0] = "1.5";
        f.pitch[31] = "-6.25";
        f.azimuth[16] = "655.35";
        f.measureRange = "0.29";
        f.serialNumber = "K0047010";
        f.version = "V0.0.0";
    });
    ASSERT_TRUE(r.ok()) << r.refusal.toStdString();
    EXPECT_EQ(r.values.segmentFactors[0], 29);
    EXPECT_EQ(r.values.segmentFactors[6], 350);
    EXPECT_EQ(r.values.segmentFactors[1], 0);
    EXPECT_EQ(r.values.pitchValues[0], 150);
    EXPECT_EQ(r.values.pitchValues[31], -625);
    EXPECT_EQ(r.values.azimuthValues[16], 65535);
    EXPECT_EQ(r.values.measureRange, 29);
}

TEST(AdvancedFields, ValuesThatCannotBeSentAreRefusedNamingTheField) {
    const std::vector<std::pair<std::function<void(AdvancedFields&)>, QString>> cases{
        {[](AdvancedFields& f) { f.pitch[3] = "699.99"; }, "Pitching angle calibration, channel 3"},
        {[](AdvancedFields& f) { f.azimuth[0] = "-327.69"; }, "Azimuth calibration, channel 0"},
        {[](AdvancedFields& f) { f.intensity[31] = "128"; },
         "Reflectivity calibration, channel 31"},
        {[](AdvancedFields& f) { f.intensity[5] = "-"; }, "Reflectivity calibration, channel 5"},
        {[](AdvancedFields& f) { f.staticChannels[9] = "abc"; },
         "Static calibration, channel 1, value 2"},
        {[](AdvancedFields& f) {
             f.left = "10";
             f.staticChannels[255] = "120";
         },
         "Static calibration, channel 31, value 8"},
        {[](AdvancedFields& f) { f.right = "x"; }, "Right"},
        {[](AdvancedFields& f) { f.segmentFactors[2] = "655.36"; }, "Segment Factor 3"},
        {[](AdvancedFields& f) { f.segmentFactors[0] = "-0.5"; }, "Segment Factor 1"},
        {[](AdvancedFields& f) { f.measureRange = "700"; }, "Measure range"},
        // The sensor does not report its range: only a typed one may go.
        {[](AdvancedFields& f) { f.measureRange = ""; }, "Measure range"},
        {[](AdvancedFields& f) { f.measureRange = "0"; }, "Measure range"},
        // Decimals the packet cannot carry are not cut off.
        {[](AdvancedFields& f) { f.intensity[1] = "2.7"; }, "Reflectivity calibration, channel 1"},
        {[](AdvancedFields& f) { f.pitch[0] = "1.234"; }, "Pitching angle calibration, channel 0"},
        {[](AdvancedFields& f) { f.staticChannels[0] = "-1.9"; },
         "Static calibration, channel 0, value 1"},
        {[](AdvancedFields& f) { f.serialNumber = "K0321219999999999"; }, "Serial Num"},
        {[](AdvancedFields& f) { f.version = "V1123"; }, "Version Num"}};
    for (const auto& [edit, field] : cases) {
        const AdvancedFieldsRead r = read([&edit = edit](AdvancedFields& f) {
            f.measureRange = "160";
            f.serialNumber = "K0047010";
            f.version = "V0.0.0";
            edit(f);
        });
        EXPECT_FALSE(r.ok()) << field.toStdString();
        EXPECT_TRUE(r.refusal.startsWith(field)) << r.refusal.toStdString();
    }
}

TEST(AdvancedPacket, CarriesEachValueAtItsOffset) {
    AdvancedValues v = read([](AdvancedFields& f) {
                           f.serialNumber = "K03212112345";
                           f.version = "V1.0.3";
                           f.segmentFactors[0] = "0.5";
                           f.segmentFactors[6] = "3.5";
                           f.measureRange = "160";
                           f.pitch[0] = "0.01";
                           f.pitch[15] = "0.16";
                           f.pitch[16] = "0.17";
                           f.pitch[31] = "-0.01";
                           f.azimuth[0] = "1";
                           f.azimuth[31] = "2";
                           f.intensity[0] = "-1";
                           f.intensity[16] = "3";
                           f.staticChannels[0] = "-1";
                           f.staticChannels[255] = "4";
                       }).values;
    const InfoTestPacket reported;
    const auto packet = built(v, reported);

    EXPECT_TRUE(AdvancedPacket::isAdvancedPacket(packet.data(), packet.size()));
    EXPECT_EQ(bytesAt(packet, 0, 8), (Bytes{0xAA, 0x00, 0xFF, 0x11, 0x22, 0x22, 0xAA, 0xAA}));
    EXPECT_EQ(bytesAt(packet, 10, 14),
              (Bytes{192, 168, 1, 200, 192, 168, 1, 102, 0x02, 0x11, 0x22, 0x33, 0x44, 0x55}));
    EXPECT_EQ(bytesAt(packet, 36, 10), (Bytes{26, 12, 7, 13, 4, 5, 0x02, 0xA6, 0, 0}));
    EXPECT_EQ(bytesAt(packet, 52, 8), (Bytes{0x55, 0xAA, 0xAA, 0x55, 0x33, 0x33, 0x11, 0x11}));
    // Motor speed, ports, NTP address, motor state and packet interval as
    // the sensor reported them, whatever they are.
    for (const auto& [offset, count] :
         std::vector<std::pair<std::size_t, std::size_t>>{{8, 2}, {24, 4}, {28, 8}, {46, 6}}) {
        EXPECT_EQ(bytesAt(packet, offset, count), bytesAt(reported.bytes, offset, count)) << offset;
    }
    EXPECT_EQ(bytesAt(packet, 60, 6), (Bytes{3, 1, 0x00, 0x00, 0x30, 0x39}));
    // The letter in front of the version numbers goes back as reported.
    EXPECT_EQ(bytesAt(packet, 66, 4), (Bytes{reported.bytes[66], 1, 0, 3}));
    EXPECT_EQ(packet[70], 0xFF);
    EXPECT_EQ(packet[512 + 127], 4);
    EXPECT_EQ(bytesAt(packet, 198, 2), (Bytes{0x00, 0x32}));
    EXPECT_EQ(bytesAt(packet, 210, 4), (Bytes{0x01, 0x5E, 0x3E, 0x80}));
    EXPECT_EQ(bytesAt(packet, 214, 54), Bytes(54, 0));
    // Pitch 1..16 at 268..299 and 17..32 right after them; azimuth likewise.
    EXPECT_EQ(bytesAt(packet, 268, 2), (Bytes{0x00, 0x01}));
    EXPECT_EQ(bytesAt(packet, 298, 4), (Bytes{0x00, 0x10, 0x00, 0x11}));
    EXPECT_EQ(bytesAt(packet, 330, 2), (Bytes{0xFF, 0xFF}));
    EXPECT_EQ(bytesAt(packet, 364, 2), (Bytes{0x00, 0x64}));
    EXPECT_EQ(bytesAt(packet, 426, 2), (Bytes{0x00, 0xC8}));
    EXPECT_EQ(packet[460], 0xFF);
    EXPECT_EQ(packet[640], 3);
    // Table entries no field shows go back as reported: pitch and azimuth
    // 32..47, reflectivity bytes 16..47 of both tables.
    EXPECT_EQ(bytesAt(packet, 332, 32), bytesAt(reported.bytes, 234 + 64, 32));
    EXPECT_EQ(bytesAt(packet, 428, 32), bytesAt(reported.bytes, 330 + 64, 32));
    EXPECT_EQ(bytesAt(packet, 476, 32), bytesAt(reported.bytes, 426 + 16, 32));
    EXPECT_EQ(bytesAt(packet, 656, 32), bytesAt(reported.bytes, 606 + 16, 32));
    EXPECT_EQ(bytesAt(packet, 688, 516), Bytes(516, 0));
    EXPECT_EQ(bytesAt(packet, 1204, 2), (Bytes{0x0F, 0xF0}));

    // What the sensor reads from it.
    const AdvancedPacket::Contents c = AdvancedPacket::read(ByteSpan(packet.data(), packet.size()));
    EXPECT_EQ(c.calibration.pitch[16], 17);
    EXPECT_EQ(c.calibration.staticValues[0], -1);
    EXPECT_EQ(c.calibration.reflectivity2[0], 3);
    EXPECT_EQ(c.serialNumber, 12345u);
    EXPECT_EQ(c.measureRange, 16000);
}

// "Refresh state" then "Set" sends back exactly what the sensor reported:
// each table of the device packet where the advanced packet's layout puts it.
TEST(AdvancedPacket, RefreshedFieldsSendBackTheReportedCalibration) {
    InfoTestPacket info;
    info.put(60, {3, 1, 0x80, 0, 0x30, 0x39, 'V', 2, 1, 0});
    info.putBe16(198, 29);
    const SettingData status = DeviceInfoPacket::decodeSettingData(info.span());
    AdvancedFields fields = refreshTexts(status);
    fields.measureRange = "160"; // the sensor does not report it
    const AdvancedFieldsRead r = readAdvancedFields(fields);
    ASSERT_TRUE(r.ok()) << r.refusal.toStdString();

    const auto packet = built(r.values, info);
    const struct {
        const char* table;
        std::size_t reported;
        std::size_t sent;
        std::size_t size;
    } tables[] = {{"static values 1-128", 70, 70, 128},
                  {"static values 129-256", 478, 512, 128},
                  {"pitch", 234, 268, 96},
                  {"azimuth", 330, 364, 96},
                  {"reflectivity 1", 426, 460, 48},
                  {"reflectivity 2", 606, 640, 48},
                  {"serial number and version", 60, 60, 10}};
    for (const auto& t : tables) {
        EXPECT_EQ(bytesAt(packet, t.sent, t.size), bytesAt(info.bytes, t.reported, t.size))
            << t.table;
    }
}

TEST(DefaultConfigPacket, HoldsTheFactorySettings) {
    const DeviceInfoPacket::Bytes p = DefaultConfigPacket::build(kNow);
    EXPECT_EQ(p, factorySettingsPacket(2026, 12, 7, 13, 4, 5));
    EXPECT_TRUE(DefaultConfigPacket::isDefaultConfigPacket(p.data(), p.size()));
    EXPECT_FALSE(AdvancedPacket::isAdvancedPacket(p.data(), p.size()));
    DeviceInfoPacket::Bytes other = p;
    other[9] = 0x58; // 600 rpm
    EXPECT_FALSE(DefaultConfigPacket::isDefaultConfigPacket(other.data(), other.size()));
}

TEST(ParameterFile, DumpsThePacketInTheDocumentedLayout) {
    InfoTestPacket info;
    info.put(0, {0xA5, 0xFF, 0x00, 0x5A, 0x01, 0x02, 0x0B});
    const QByteArray text = ParameterFile::text(info.bytes);
    ASSERT_EQ(text.size(), ParameterFile::kFileSize);
    const QList<QByteArray> lines = text.split('\n');
    ASSERT_EQ(lines.size(), 76);
    EXPECT_EQ(lines[0], "a5 ff 00 5a 01 02 \r");
    EXPECT_TRUE(lines[1].startsWith("0b ")) << lines[1].constData();
    EXPECT_EQ(lines[1].size(), 16 * 3 + 1);
    // The last line holds bytes 1190..1205 and no line end.
    QByteArray last;
    for (std::size_t i = 1190; i < 1206; ++i) {
        last += QByteArray::number(info.bytes[i] | 0x100, 16).mid(1) + ' ';
    }
    EXPECT_EQ(lines[75], last);
}
