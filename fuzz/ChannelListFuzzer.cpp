// lidar-export's --channels lists: a list either names channels 0..127,
// which the same list written canonically names again, or is refused with
// a reason and leaves the selection alone.

#include "FuzzCheck.h"
#include "tools/export/ChannelList.h"

#include <QStringList>

namespace {

// "0-3,7": runs of listed channels.
QString canonical(const ChannelList::Flags& flags) {
    QStringList items;
    for (int c = 0; c < DataPacket::kChannelCount;) {
        if (!flags[c]) {
            ++c;
            continue;
        }
        int last = c;
        while (last + 1 < DataPacket::kChannelCount && flags[last + 1]) {
            ++last;
        }
        items << (last == c ? QString::number(c) : QStringLiteral("%1-%2").arg(c).arg(last));
        c = last + 1;
    }
    return items.join(QLatin1Char(','));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<int>(size));
    ChannelList::Flags flags;
    flags.fill(true);
    flags[5] = false;
    const ChannelList::Flags before = flags;
    QString error;
    if (!ChannelList::parse(text, flags, error)) {
        FUZZ_CHECK(!error.isEmpty());
        FUZZ_CHECK(flags == before);
        return 0;
    }
    const QString written = canonical(flags);
    FUZZ_CHECK(!written.isEmpty());
    ChannelList::Flags again{};
    FUZZ_CHECK(ChannelList::parse(written, again, error));
    FUZZ_CHECK(again == flags);
    return 0;
}
