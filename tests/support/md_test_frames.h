// Level-1 records and frames for the market-data suites; every field is derived from the
// code and the last price, so a record can be checked for tearing or corruption on its own.
#ifndef MD_TEST_FRAMES_H
#define MD_TEST_FRAMES_H

#include <QByteArray>
#include <QtEndian>
#include <cstring>

#include "qeto_md_level1.h"

namespace mdtest {

using Record = ClientSecurityMarketDataLevel1;

inline Record makeRecord(const QByteArray &id, double last, const QByteArray &name = "NAME") {
    Record r;
    std::memset(&r, 0, sizeof r);
    std::memcpy(r.securityId, id.constData(), qMin<size_t>(id.size(), sizeof r.securityId));
    std::memcpy(r.securityName, name.constData(), qMin<size_t>(name.size(), sizeof r.securityName));
    r.lastPrice = last;
    r.openPrice = last - 1;
    for (int i = 0; i < 5; ++i) {
        r.bidPrice[i] = last - 0.01 * (i + 1);
        r.askPrice[i] = last + 0.01 * (i + 1);
        r.bidVolume[i] = 100u * (i + 1);
        r.askVolume[i] = 200u * (i + 1);
    }
    r.updateTime = 93000000u + static_cast<quint64>(last);
    r.totalVolume = 0x0102030405060708ull;
    r.totalAmount = 0x1112131415161718ull;
    return r;
}

// True when r is exactly what makeRecord gives for its own code, last price and name.
inline bool consistent(const Record &r) {
    const Record want = makeRecord(QByteArray(r.securityId, int(qstrnlen(r.securityId, sizeof r.securityId))),
                                   r.lastPrice, QByteArray(r.securityName, sizeof r.securityName));
    return std::memcmp(&r, &want, sizeof r) == 0;
}

inline QByteArray header(qint32 mark) {
    QByteArray h(4, '\0');
    qToLittleEndian<qint32>(mark, h.data());
    return h;
}

inline QByteArray frame(const Record &r, qint32 mark = kMdFrameMark) {
    return header(mark) + QByteArray(reinterpret_cast<const char *>(&r), sizeof r);
}

inline QByteArray frameOf(const QByteArray &id, double last) { return frame(makeRecord(id, last)); }

}  // namespace mdtest

#endif  // MD_TEST_FRAMES_H
