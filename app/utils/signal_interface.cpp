#include "utils/signal_interface.h"

#include <QCoreApplication>
#include <QThread>
#include <atomic>

#include "utils/api_client_utils.h"

namespace {
// Set by the destructor so that a late caller at process exit gets null, not a dead object.
std::atomic<bool> gHubGone{false};
}  // namespace

SignalInterface::SignalInterface() {
    registerGatewayMetaTypes();
    // The first caller may be a library thread that ends later; the hub belongs to the
    // application's thread so that its lifetime never depends on a foreign thread.
    if (QCoreApplication *app = QCoreApplication::instance()) {
        if (thread() != app->thread()) moveToThread(app->thread());
    }
}

SignalInterface::~SignalInterface() { gHubGone.store(true, std::memory_order_release); }

SignalInterface *SignalInterface::instance() {
    if (gHubGone.load(std::memory_order_acquire)) return nullptr;
    static SignalInterface hub;  // thread-safe first-use construction
    return gHubGone.load(std::memory_order_acquire) ? nullptr : &hub;
}

void registerGatewayMetaTypes() {
    qRegisterMetaType<LoginStatus>("LoginStatus");
    qRegisterMetaType<CQetoRspInfo>("CQetoRspInfo");
    qRegisterMetaType<CQetoRspQryStockClientAccountField>("CQetoRspQryStockClientAccountField");
    qRegisterMetaType<CQetoRspQryStockPositionField>("CQetoRspQryStockPositionField");
    qRegisterMetaType<CQetoRspQryTradeField>("CQetoRspQryTradeField");
    qRegisterMetaType<CQetoRspQryStockSecuritiesField>("CQetoRspQryStockSecuritiesField");
    qRegisterMetaType<CQetoRspQryOrderField>("CQetoRspQryOrderField");
    qRegisterMetaType<CQetoRspQryCapTransferRecordField>("CQetoRspQryCapTransferRecordField");
    qRegisterMetaType<CQetoRspCapTransferField>("CQetoRspCapTransferField");
    qRegisterMetaType<CQetoRspQryBTCapTransferManagerField>("CQetoRspQryBTCapTransferManagerField");
    qRegisterMetaType<CQetoRspOrderActionField>("CQetoRspOrderActionField");
    qRegisterMetaType<CQetoRspOrderInsertField>("CQetoRspOrderInsertField");
    qRegisterMetaType<CQetoRtnOrderField>("CQetoRtnOrderField");
    qRegisterMetaType<CQetoRspUserPasswordUpdateField>("CQetoRspUserPasswordUpdateField");
    qRegisterMetaType<CQetoRspBTCapTransferManagerField>("CQetoRspBTCapTransferManagerField");
    qRegisterMetaType<CQetoRtnBtCapTransferManagerField>("CQetoRtnBtCapTransferManagerField");
}
