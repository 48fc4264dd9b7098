// Feeds arbitrary bytes to the simulator's counter engine as the network front would: a stream
// of (20-byte header, body) frames on one of two connections, with both connections logged in
// to the same demo account first so that requests reach the logged-in handlers and returns fan
// out. The first input byte picks the options:
//   bit 0   exchange of the sessions (Shanghai / Shenzhen)
//   bit 1   Chinese refusal texts in GBK instead of UTF-8
//   bit 2   the harness writes the connection's session id into each header (reaches the
//           logged-in handlers without guessing the id)
//   bit 3   after every frame, a market tick and the delayed tasks run
//   bit 4   120 historical orders first, so that queries come in several pages (batch 50)
// reserved[0] bit 0 of a header picks the connection, bit 1 drops that connection after the frame.
// Every answer frame must be well formed: length within the limit, count × unit size = length.
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_check.h"
#include "sim_harness.h"

namespace {

using namespace qeto::sim;
using qeto::wire::FrameHeader;

void checkAnswers(test::Harness &h) {
    for (const auto &[conn, f] : h.frames) {
        check(conn == 1 || conn == 2);
        check(f.size() >= sizeof(FrameHeader));
        FrameHeader hd;
        std::memcpy(&hd, f.data(), sizeof hd);
        check(hd.length == f.size() - sizeof hd);
        check(hd.length <= qeto::wire::kMaxPayload);
        if (hd.type == qeto::wire::RspHeartbeat) {
            check(hd.length == 0);
            continue;
        }
        const std::size_t rs = qeto::wire::answerRecordSize(hd.type);
        check(rs > 0);
        check(hd.count > 0 && hd.length == hd.count * (rs + sizeof(CQetoRspInfo)));
    }
    h.frames.clear();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1) return 0;
    const uint8_t control = data[0];
    ++data;
    --size;

    test::Harness h(50, (control & 2) ? Encoding::Gbk : Encoding::Utf8, 20);
    const char exchange = (control & 1) ? '2' : '1';
    if (control & 16) h.engine.preloadOrders(120);
    for (ConnId c : {ConnId(1), ConnId(2)}) {
        const auto units = h.login(exchange, "10001001", "123456", c);
        check(units.size() == 1 && units[0].info.ErrorID == 0);
    }

    bool live[3] = {false, true, true};
    while (size >= sizeof(FrameHeader)) {
        FrameHeader hd;
        std::memcpy(&hd, data, sizeof hd);
        data += sizeof hd;
        size -= sizeof hd;
        // The network front closes the connection on a frame over the limit and waits for a body
        // it has not got yet: either way nothing more is handled.
        if (hd.length > qeto::wire::kMaxPayload || hd.length > size) break;
        const ConnId conn = 1 + (hd.reserved[0] & 1);
        if (!live[conn]) continue;
        if (control & 4) hd.sessionId = h.sessions[conn];
        // A copy of exactly the body, so that ASan sees any read past it.
        std::string body(reinterpret_cast<const char *>(data), hd.length);
        data += hd.length;
        size -= hd.length;
        std::string why;
        const bool ok =
            h.engine.handleFrame(conn, hd, reinterpret_cast<const uint8_t *>(body.data()), body.size(), &why);
        check(ok || !why.empty());
        if (!ok || (hd.reserved[0] & 2)) {
            h.engine.onDisconnect(conn);
            live[conn] = false;
        }
        if (control & 8) {
            h.market.tick(timeNumber(h.engine.msOfDay()));
            h.engine.onMarketTick();
            h.runTasks();
        }
        checkAnswers(h);
    }
    h.runTasks();
    checkAnswers(h);
    return 0;
}
