// A window's suite as the client stands after a login: the callback bridge registered with a
// fresh test double, the account and session of the answer, an error catalogue of the suite's
// own; and the request bytes and buttons the suites read back.
#ifndef QETO_TEST_CLIENT_SESSION_H
#define QETO_TEST_CLIENT_SESSION_H

#include <QByteArray>
#include <QPushButton>
#include <QWidget>
#include <cstring>
#include <vector>

#include "config_files.h"
#include "constants.h"
#include "qeto_demo_accounts.h"
#include "qeto_gate_fake.h"
#include "utils/api_client_utils.h"
#include "utils/error_msg.h"

namespace clienttest {

// Logged in as the demo account with `sessionId`; the next request goes out with `requestId`.
inline void startSession(uint32_t sessionId, int requestId) {
    qeto::fake::reset();
    registerSpi(ApiClientUtils::spiTable(), ApiClientUtils::mEntryNo);
    ApiClientUtils::mAccount = QLatin1String(qeto::sim::demo::kAccount);
    ApiClientUtils::mAccountSessionId = sessionId;
    ApiClientUtils::mRequestId = requestId;
}

// `json` as the error catalogue beside the executable, read for Shanghai; false when it is not.
inline bool loadCatalogue(const QByteArray &json) {
    ApiClientUtils::mMarket = '1';
    return cfgtest::writeBesideApp(kErrorMsgFile, json) && ErrorMsg::instance()->readErrorJson() == 0;
}

inline QPushButton *button(QWidget *in, const QString &text) {
    for (QPushButton *b : in->findChildren<QPushButton *>())
        if (b->text() == text) return b;
    return nullptr;
}

// A record as the test double kept it.
inline QByteArray bytesOf(const std::vector<unsigned char> &v) {
    return QByteArray(reinterpret_cast<const char *>(v.data()), static_cast<int>(v.size()));
}

// `text` in a zero-padded field of `size` bytes, cut at its width.
inline QByteArray field(int size, const QByteArray &text) {
    QByteArray out(size, '\0');
    std::memcpy(out.data(), text.constData(), static_cast<size_t>(qMin(size, text.size())));
    return out;
}

}  // namespace clienttest

#endif  // QETO_TEST_CLIENT_SESSION_H
