// The journal's reader on arbitrary bytes: nothing may crash or hang; what it
// accepts encodes back to the same bytes, and a change of any single byte of
// an accepted journal is refused (the check that keeps a half-written or
// damaged journal from replacing a list).
#include "playlist/ListJournal.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QByteArray list;
    QString address;
    if (ListJournal::decode(bytes, &list, &address)) {
        const qsizetype rows = (list.count("\r\n") - 1) / 2;
        check(ListJournal::encode(list, int(rows), address) == bytes);
    }

    // A whole journal of the input as a list, then each way of cutting it short.
    const QByteArray listText = "#M3UX\r\n" + bytes.left(64).replace('\r', ' ').replace('\n', ' ') + "\r\n#t;;;\r\n";
    const QByteArray whole = ListJournal::encode(listText, 1, QString::fromUtf8(bytes.left(16)));
    check(ListJournal::decode(whole, &list, &address) && list == listText);
    for (qsizetype cut = 0; cut < whole.size(); cut += 7)
        check(!ListJournal::decode(whole.left(cut), &list, &address));
    if (!bytes.isEmpty()) {
        QByteArray changed = whole;
        const qsizetype at = qsizetype(bytes[0] & 0x7F) % changed.size();
        changed[at] = char(changed[at] ^ 0x01);
        check(!ListJournal::decode(changed, &list, &address) || changed == whole);
    }
    return 0;
}
