#include "playback/engine/PulseOutput.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>

namespace {
constexpr int kFrameBytes = 2 * int(sizeof(float));

void wake(pa_threaded_mainloop *loop)
{
    pa_threaded_mainloop_signal(loop, 0);
}

void unrefOp(pa_operation *op)
{
    if (op)
        pa_operation_unref(op);
}

struct SinkSearch {
    pa_threaded_mainloop *loop;
    const char *wanted;
    std::string found; // the sink's own name
    bool done = false;
};

// Called with the loop locked: the name of the sink whose description or
// name is `search.wanted`, empty when the server has none.
std::string sinkNamed(pa_context *context, SinkSearch &search)
{
    const auto each = [](pa_context *, const pa_sink_info *info, int eol, void *user) {
        auto *s = static_cast<SinkSearch *>(user);
        if (eol) {
            s->done = true;
            wake(s->loop);
        } else if (info && s->found.empty()
                   && ((info->description && std::strcmp(info->description, s->wanted) == 0)
                       || (info->name && std::strcmp(info->name, s->wanted) == 0))) {
            s->found = info->name;
        }
    };
    pa_operation *op = pa_context_get_sink_info_list(context, each, &search);
    if (!op)
        return {};
    while (!search.done && pa_operation_get_state(op) == PA_OPERATION_RUNNING)
        pa_threaded_mainloop_wait(search.loop);
    pa_operation_unref(op);
    return search.found;
}
} // namespace

struct PulseOutput::Impl {
    pa_threaded_mainloop *loop = nullptr;
    pa_context *context = nullptr;
    pa_stream *stream = nullptr;
    Fill fill = nullptr;
    void *user = nullptr;
    int rate = 0;
    std::atomic<bool> moved{false};

    ~Impl()
    {
        if (loop)
            pa_threaded_mainloop_stop(loop);
        if (stream) {
            pa_stream_disconnect(stream);
            pa_stream_unref(stream);
        }
        if (context) {
            pa_context_disconnect(context);
            pa_context_unref(context);
        }
        if (loop)
            pa_threaded_mainloop_free(loop);
    }

    // Runs on the connection's thread with the loop locked: fills the whole
    // request in as few pieces as the server's memory blocks allow.
    static void write(pa_stream *s, size_t nbytes, void *self)
    {
        auto *d = static_cast<Impl *>(self);
        while (nbytes >= size_t(kFrameBytes)) {
            void *data = nullptr;
            size_t n = nbytes;
            if (pa_stream_begin_write(s, &data, &n) < 0 || !data)
                return;
            n -= n % kFrameBytes;
            if (n == 0) {
                pa_stream_cancel_write(s);
                return;
            }
            d->fill(d->user, static_cast<float *>(data), int(n / kFrameBytes));
            if (pa_stream_write(s, data, n, nullptr, 0, PA_SEEK_RELATIVE) < 0)
                return;
            nbytes -= std::min(n, nbytes);
        }
    }
};

PulseOutput::PulseOutput(std::unique_ptr<Impl> impl) : d(std::move(impl)) {}

PulseOutput::~PulseOutput() = default;

std::unique_ptr<PulseOutput> PulseOutput::open(int rate, Fill fill, void *user, const char *device)
{
    auto d = std::make_unique<Impl>();
    d->fill = fill;
    d->user = user;
    d->rate = rate;
    d->loop = pa_threaded_mainloop_new();
    if (!d->loop)
        return nullptr;
    pa_threaded_mainloop_set_name(d->loop, "PulseOutput");
    d->context = pa_context_new(pa_threaded_mainloop_get_api(d->loop), "Velmora");
    if (!d->context)
        return nullptr;
    const auto signal = [](auto *, void *loop) { wake(static_cast<pa_threaded_mainloop *>(loop)); };
    pa_context_set_state_callback(d->context, signal, d->loop);
    if (pa_context_connect(d->context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0
        || pa_threaded_mainloop_start(d->loop) < 0)
        return nullptr;

    pa_threaded_mainloop_lock(d->loop);
    bool ok = true;
    for (;;) {
        const pa_context_state_t st = pa_context_get_state(d->context);
        if (st == PA_CONTEXT_READY)
            break;
        if (!PA_CONTEXT_IS_GOOD(st)) {
            ok = false;
            break;
        }
        pa_threaded_mainloop_wait(d->loop);
    }
    const pa_sample_spec spec{PA_SAMPLE_FLOAT32NE, uint32_t(rate), 2};
    std::string sink;
    if (ok && device) {
        SinkSearch search{d->loop, device, {}};
        sink = sinkNamed(d->context, search);
        ok = !sink.empty();
    }
    if (ok) {
        pa_proplist *props = pa_proplist_new();
        pa_proplist_sets(props, PA_PROP_MEDIA_ROLE, "music");
        d->stream = pa_stream_new_with_proplist(d->context, "Playback", &spec, nullptr, props);
        pa_proplist_free(props);
        ok = d->stream != nullptr;
    }
    if (ok) {
        pa_stream_set_state_callback(d->stream, signal, d->loop);
        pa_stream_set_write_callback(d->stream, &Impl::write, d.get());
        pa_stream_set_moved_callback(
            d->stream, [](pa_stream *, void *self) { static_cast<Impl *>(self)->moved = true; }, d.get());
        // Traditional mode (no latency adjustment): the server keeps the sink
        // (kTargetMs - 2 * kRequestMs) ahead and the rest queued here.
        pa_buffer_attr attr{};
        attr.maxlength = uint32_t(-1);
        attr.tlength = uint32_t(pa_usec_to_bytes(pa_usec_t(kTargetMs) * PA_USEC_PER_MSEC, &spec));
        attr.prebuf = uint32_t(-1);
        attr.minreq = uint32_t(pa_usec_to_bytes(pa_usec_t(kRequestMs) * PA_USEC_PER_MSEC, &spec));
        attr.fragsize = uint32_t(-1);
        ok = pa_stream_connect_playback(d->stream, sink.empty() ? nullptr : sink.c_str(), &attr,
                                        PA_STREAM_START_CORKED, nullptr, nullptr)
            == 0;
    }
    while (ok) {
        const pa_stream_state_t st = pa_stream_get_state(d->stream);
        if (st == PA_STREAM_READY)
            break;
        if (!PA_STREAM_IS_GOOD(st))
            ok = false;
        else
            pa_threaded_mainloop_wait(d->loop);
    }
    pa_threaded_mainloop_unlock(d->loop);
    if (!ok)
        return nullptr;
    return std::unique_ptr<PulseOutput>(new PulseOutput(std::move(d)));
}

void PulseOutput::setPaused(bool paused)
{
    pa_threaded_mainloop_lock(d->loop);
    unrefOp(pa_stream_cork(d->stream, paused ? 1 : 0, nullptr, nullptr));
    pa_threaded_mainloop_unlock(d->loop);
}

void PulseOutput::drop()
{
    pa_threaded_mainloop_lock(d->loop);
    unrefOp(pa_stream_flush(d->stream, nullptr, nullptr));
    pa_threaded_mainloop_unlock(d->loop);
}

int PulseOutput::latencyFrames() const
{
    pa_threaded_mainloop_lock(d->loop);
    const pa_buffer_attr *attr = pa_stream_get_buffer_attr(d->stream);
    const int frames = attr ? int(attr->tlength / kFrameBytes) : d->rate * kTargetMs / 1000;
    pa_threaded_mainloop_unlock(d->loop);
    return frames;
}

bool PulseOutput::moved() const
{
    return d->moved;
}
