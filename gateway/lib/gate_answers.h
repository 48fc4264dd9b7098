// Answer frames from the counter: header checks and delivery of every unit to the callbacks.
// Kept apart from the socket so that it can be driven from plain byte buffers.
#ifndef QETO_GATE_ANSWERS_H
#define QETO_GATE_ANSWERS_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "qeto_gate_api.h"
#include "qeto_wire.h"

namespace qeto::gate {

// What the reader needs from whoever owns the connection.
class AnswerSink {
public:
    virtual ~AnswerSink() = default;
    // The callbacks for the next frame.
    virtual SpiCallbackTable callbacks() = 0;
    // False once no further callback may be made (instance stopped, connection gone); asked
    // before every callback, since each one may end in a release.
    virtual bool live() = 0;
    // A login answer (true) or a logout answer (false) without error has arrived.
    virtual void loginState(bool loggedIn) = 0;
    // Every header read, before its units are delivered; also a header found unusable.
    virtual void frame(const wire::FrameHeader &h) = 0;
};

struct AnswerResult {
    enum Status {
        More,           // every whole frame handled; keep the rest and read more
        Stopped,        // live() turned false; nothing more may be delivered
        ProtocolError,  // a header that cannot start a usable frame; see error
    };
    Status status = More;
    size_t used = 0;    // bytes of the frames handled (on Stopped, the frame it stopped in too)
    std::string error;  // ProtocolError: what was wrong, for the log
};

// Handles the frames at the front of data, each unit one callback, in order. A header is
// judged as soon as it is in, without waiting for its body: over the size limit, a type that
// is no answer, no units, or units that do not fill its length exactly.
//
// Every record handed to a callback is a copy followed by a zero byte, and the response info's
// text is cut at its last byte: a text field that fills its width cannot lead a reader past
// the record.
AnswerResult readAnswers(const uint8_t *data, size_t size, AnswerSink &sink);

}  // namespace qeto::gate

#endif  // QETO_GATE_ANSWERS_H
