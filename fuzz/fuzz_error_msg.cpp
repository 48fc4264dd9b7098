// Feeds arbitrary bytes as the error catalogue to its parsing step, then looks texts up.
// The first byte picks the exchange code and the counter's error id; the rest is the file.
#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <cstdint>
#include <cstring>

#include "fuzz_check.h"
#include "utils/api_client_utils.h"
#include "utils/error_msg.h"

// The harness links the catalogue without the callback bridge; this is the one value of the
// bridge that the catalogue reads.
char ApiClientUtils::mMarket = '0';

// Qt 5.15's JSON parser leaks the earlier value of a member named twice when that value is an
// array or an object ({"SS": [..], "SS": [..]}). Qt is built without frame pointers, so the
// leak's stack ends inside Qt and only the library can be named: leaks of allocations made
// by Qt on our behalf go unreported here, while memory errors are still caught.
extern "C" const char *__lsan_default_suppressions() { return "leak:libQt5Core.so\n"; }

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1) return 0;
    const char market = static_cast<char>('0' + data[0] % 3);
    const int id = static_cast<int>(data[0] >> 2) - 8;  // -8 .. 55: small ids, 0 and negatives
    const QByteArray content(reinterpret_cast<const char *>(data + 1), static_cast<int>(size - 1));

    ErrorMsg *catalog = ErrorMsg::instance();
    const int result = catalog->loadCatalog(content, market);
    check(result == 0 || result == -1);
    // A failed read leaves both tables empty.
    if (result == -1) check(catalog->getErrorMsgById(id).isEmpty() && catalog->getManagerErrorMsgById(id).isEmpty());

    CQetoRspInfo info;
    std::memset(&info, 0, sizeof info);
    info.ErrorID = static_cast<uint32_t>(id);
    // The counter's text: the file's last bytes, the field filled to the end without a NUL.
    const int n = qMin<int>(content.size(), sizeof info.ErrorMsg);
    std::memcpy(info.ErrorMsg, content.constData() + content.size() - n, static_cast<size_t>(n));
    const QString shown = catalog->getErrorMsg(info);
    const QString byId = catalog->getErrorMsgById(id);
    check(catalog->getErrorText(info) == QStringLiteral("[%1]").arg(static_cast<uint32_t>(id)) + shown);

    const QString counterText = QString::fromLocal8Bit(
        QByteArray(info.ErrorMsg, static_cast<int>(qstrnlen(info.ErrorMsg, sizeof info.ErrorMsg))));
    bool chinese = false;
    for (const QChar c : counterText) chinese = chinese || (c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF);
    // A Chinese counter text is shown as it came; otherwise the catalogue's text, if any.
    if (chinese)
        check(shown == counterText);
    else
        check(shown == counterText || shown == byId);
    return 0;
}
