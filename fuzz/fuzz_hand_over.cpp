// Feeds arbitrary bytes to the reader of the hand-over message, split into
// pieces whose sizes the first byte chooses, as a socket delivers them.
// Whatever arrives, the reader holds no more than its limits allow, a
// refusal is final, and a message it takes travels unchanged when written
// again.
#include "core/HandOver.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const qsizetype piece = 1 + data[0] % 64;
    const QByteArrayView bytes(reinterpret_cast<const char *>(data) + 1, static_cast<qsizetype>(size - 1));

    HandOver::Reader reader;
    bool refused = false;
    for (qsizetype at = 0; at < bytes.size(); at += piece) {
        const HandOver::Reader::State state = reader.feed(bytes.sliced(at, qMin(piece, bytes.size() - at)));
        if (refused && state != HandOver::Reader::State::Refused)
            std::abort();
        refused = state == HandOver::Reader::State::Refused;
        if (reader.heldBytes() > HandOver::MaxFrameBytes + 4 + HandOver::MaxMessageBytes)
            std::abort();
    }
    // Read whole, the same bytes give the same result.
    HandOver::Reader whole;
    whole.feed(bytes);
    if (whole.state() != reader.state() || whole.paths() != reader.paths())
        std::abort();

    if (reader.state() == HandOver::Reader::State::Complete) {
        HandOver::Reader again;
        if (again.feed(HandOver::encode(reader.paths())) != HandOver::Reader::State::Complete
            || again.paths() != reader.paths())
            std::abort();
    }
    return 0;
}
