#include "tools/export/ChannelList.h"

#include <QStringList>

bool ChannelList::parse(const QString& text, Flags& channels, QString& error) {
    Flags listed{};
    const int last = DataPacket::kChannelCount - 1;
    auto channelOf = [last](const QString& piece, int& value) {
        bool ok = false;
        value = piece.trimmed().toInt(&ok);
        return ok && value >= 0 && value <= last;
    };
    if (text.trimmed().isEmpty()) {
        error = "empty channel list";
        return false;
    }
    for (const QString& item : text.split(',')) {
        const QStringList bounds = item.split('-');
        int first = 0;
        int end = 0;
        const bool valid =
            bounds.size() == 1   ? channelOf(bounds[0], first) && channelOf(bounds[0], end)
            : bounds.size() == 2 ? channelOf(bounds[0], first) && channelOf(bounds[1], end)
                                 : false;
        if (!valid || first > end) {
            error = QStringLiteral("bad channel list item \"%1\": use channels 0 to %2 and "
                                   "ranges like 0-3")
                        .arg(item)
                        .arg(last);
            return false;
        }
        for (int c = first; c <= end; ++c) {
            listed[c] = true;
        }
    }
    channels = listed;
    return true;
}
