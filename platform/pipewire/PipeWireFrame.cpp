#include "PipeWireFrame.h"

#include <pipewire/pipewire.h>
#include <spa/buffer/buffer.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>

#include <cstring>
#include <ctime>
#include <mutex>

namespace platform {

namespace {

// Pixels in the byte orders a screen cast offers, as 0xFFRRGGBB.
bool CopyPixels(const uint8_t* source, int stride, spa_video_format format, PipeWirePicture& out)
{
    const bool swapped = format == SPA_VIDEO_FORMAT_RGBx || format == SPA_VIDEO_FORMAT_RGBA;
    for (int y = 0; y < out.height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(source + static_cast<size_t>(y) * stride);
        uint32_t* target = out.pixels.get() + static_cast<size_t>(y) * out.width;
        if (!swapped) {
            for (int x = 0; x < out.width; ++x)
                target[x] = row[x] | 0xFF000000u;
        } else {
            for (int x = 0; x < out.width; ++x) {
                const uint32_t p = row[x];
                target[x] = 0xFF000000u | ((p & 0xFFu) << 16) | (p & 0xFF00u) | ((p >> 16) & 0xFFu);
            }
        }
    }
    return true;
}

} // namespace

namespace {
struct CoreState {
    pw_thread_loop* loop = nullptr;
    bool broken = false; // under the loop's lock
};
} // namespace

struct PipeWireFrame::Daemon {
    pw_thread_loop* loop = nullptr;
    pw_context* context = nullptr;
    pw_core* core = nullptr;
    spa_hook coreListener{};
    CoreState state;

    ~Daemon()
    {
        if (loop != nullptr)
            pw_thread_loop_stop(loop);
        if (core != nullptr)
            pw_core_disconnect(core);
        if (context != nullptr)
            pw_context_destroy(context);
        if (loop != nullptr)
            pw_thread_loop_destroy(loop);
    }
};

// One read: the stream and what it has seen so far, touched only under the loop's lock.
namespace {
struct FrameRead {
    pw_thread_loop* loop = nullptr;
    pw_stream* stream = nullptr;
    spa_hook listener{};
    spa_video_info_raw format{};
    bool haveFormat = false;
    bool done = false;
    bool failed = false;
    PipeWirePicture* out = nullptr;
};

void OnStateChanged(void* data, pw_stream_state, pw_stream_state state, const char*)
{
    auto* read = static_cast<FrameRead*>(data);
    if (state == PW_STREAM_STATE_ERROR || state == PW_STREAM_STATE_UNCONNECTED) {
        read->failed = true;
        pw_thread_loop_signal(read->loop, false);
    }
}

void OnParamChanged(void* data, uint32_t id, const spa_pod* param)
{
    auto* read = static_cast<FrameRead*>(data);
    if (param == nullptr || id != SPA_PARAM_Format)
        return;
    uint32_t mediaType = 0;
    uint32_t mediaSubtype = 0;
    if (spa_format_parse(param, &mediaType, &mediaSubtype) < 0 || mediaType != SPA_MEDIA_TYPE_video ||
        mediaSubtype != SPA_MEDIA_SUBTYPE_raw || spa_format_video_raw_parse(param, &read->format) < 0)
        return;
    read->haveFormat = true;
    // Buffers this process can read: shared memory, never GPU memory.
    uint8_t storage[256];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(storage, sizeof storage);
    const int dataTypes = (1 << SPA_DATA_MemFd) | (1 << SPA_DATA_MemPtr);
    const spa_pod* buffers = static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &builder, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers, SPA_PARAM_BUFFERS_dataType, SPA_POD_Int(dataTypes)));
    pw_stream_update_params(read->stream, &buffers, 1);
}

void OnProcess(void* data)
{
    auto* read = static_cast<FrameRead*>(data);
    pw_buffer* buffer = pw_stream_dequeue_buffer(read->stream);
    if (buffer == nullptr)
        return;
    const spa_buffer* frame = buffer->buffer;
    const spa_data& plane = frame->datas[0];
    const int width = static_cast<int>(read->format.size.width);
    const int height = static_cast<int>(read->format.size.height);
    // A frame that carries only a cursor move, or was cut short, has no whole picture.
    const bool whole = !read->done && read->haveFormat && plane.data != nullptr && plane.chunk != nullptr &&
                       (plane.chunk->flags & SPA_CHUNK_FLAG_CORRUPTED) == 0 && width > 0 && height > 0 &&
                       plane.chunk->stride >= width * 4 &&
                       plane.chunk->size >= static_cast<uint32_t>(plane.chunk->stride) * (height - 1) + width * 4;
    if (whole) {
        PipeWirePicture& out = *read->out;
        out.width = width;
        out.height = height;
        out.pixels = std::make_unique<uint32_t[]>(static_cast<size_t>(width) * height);
        CopyPixels(static_cast<const uint8_t*>(plane.data) + plane.chunk->offset, plane.chunk->stride,
                   read->format.format, out);
        read->done = true;
        pw_thread_loop_signal(read->loop, false);
    }
    pw_stream_queue_buffer(read->stream, buffer);
}

pw_stream_events StreamEvents()
{
    pw_stream_events events{};
    events.version = PW_VERSION_STREAM_EVENTS;
    events.state_changed = OnStateChanged;
    events.param_changed = OnParamChanged;
    events.process = OnProcess;
    return events;
}

void OnCoreError(void* data, uint32_t id, int, int, const char*)
{
    // An error of the connection itself: the daemon went away or refused us.
    if (id != PW_ID_CORE)
        return;
    auto* core = static_cast<CoreState*>(data);
    core->broken = true;
    pw_thread_loop_signal(core->loop, false);
}

} // namespace

PipeWireFrame::PipeWireFrame() = default;

PipeWireFrame::~PipeWireFrame() = default;

bool PipeWireFrame::Read(uint32_t nodeId, int limitMs, PipeWirePicture& out)
{
    out = PipeWirePicture{};
    static std::once_flag initialised;
    std::call_once(initialised, [] { pw_init(nullptr, nullptr); });

    if (m_daemon) {
        pw_thread_loop_lock(m_daemon->loop);
        const bool broken = m_daemon->state.broken;
        pw_thread_loop_unlock(m_daemon->loop);
        if (broken)
            m_daemon.reset();
    }
    if (!m_daemon) {
        auto daemon = std::make_unique<Daemon>();
        daemon->loop = pw_thread_loop_new("orvelle-cast", nullptr);
        if (daemon->loop == nullptr)
            return false;
        daemon->state.loop = daemon->loop;
        daemon->context = pw_context_new(pw_thread_loop_get_loop(daemon->loop), nullptr, 0);
        if (daemon->context == nullptr || pw_thread_loop_start(daemon->loop) < 0)
            return false;
        pw_thread_loop_lock(daemon->loop);
        daemon->core = pw_context_connect(daemon->context, nullptr, 0);
        if (daemon->core != nullptr) {
            static const pw_core_events coreEvents = [] {
                pw_core_events events{};
                events.version = PW_VERSION_CORE_EVENTS;
                events.error = OnCoreError;
                return events;
            }();
            pw_core_add_listener(daemon->core, &daemon->coreListener, &coreEvents, &daemon->state);
        }
        pw_thread_loop_unlock(daemon->loop);
        if (daemon->core == nullptr)
            return false;
        m_daemon = std::move(daemon);
    }

    FrameRead read;
    read.loop = m_daemon->loop;
    read.out = &out;
    static const pw_stream_events events = StreamEvents();

    pw_thread_loop_lock(read.loop);
    read.stream = pw_stream_new(m_daemon->core, "Orvelle frozen picture",
                                pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY, "Capture",
                                                  PW_KEY_MEDIA_ROLE, "Screen", nullptr));
    bool ok = read.stream != nullptr;
    if (ok) {
        pw_stream_add_listener(read.stream, &read.listener, &events, &read);
        uint8_t storage[1024];
        spa_pod_builder builder = SPA_POD_BUILDER_INIT(storage, sizeof storage);
        spa_rectangle size = SPA_RECTANGLE(1920, 1080);
        spa_rectangle sizeMin = SPA_RECTANGLE(1, 1);
        spa_rectangle sizeMax = SPA_RECTANGLE(16384, 16384);
        spa_fraction rate = SPA_FRACTION(30, 1);
        spa_fraction rateMin = SPA_FRACTION(0, 1);
        spa_fraction rateMax = SPA_FRACTION(240, 1);
        const spa_pod* format = static_cast<const spa_pod*>(spa_pod_builder_add_object(
            &builder, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat, SPA_FORMAT_mediaType, SPA_POD_Id(SPA_MEDIA_TYPE_video),
            SPA_FORMAT_mediaSubtype, SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw), SPA_FORMAT_VIDEO_format,
            SPA_POD_CHOICE_ENUM_Id(5, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRA,
                                   SPA_VIDEO_FORMAT_RGBx, SPA_VIDEO_FORMAT_RGBA),
            SPA_FORMAT_VIDEO_size, SPA_POD_CHOICE_RANGE_Rectangle(&size, &sizeMin, &sizeMax), SPA_FORMAT_VIDEO_framerate,
            SPA_POD_CHOICE_RANGE_Fraction(&rate, &rateMin, &rateMax)));
        ok = pw_stream_connect(read.stream, PW_DIRECTION_INPUT, nodeId,
                               static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS),
                               &format, 1) == 0;
    }
    if (ok) {
        timespec deadline{};
        pw_thread_loop_get_time(read.loop, &deadline, static_cast<int64_t>(limitMs) * SPA_NSEC_PER_MSEC);
        while (!read.done && !read.failed && !m_daemon->state.broken) {
            if (pw_thread_loop_timed_wait_full(read.loop, &deadline) != 0)
                break;
        }
        ok = read.done;
    }
    if (read.stream != nullptr)
        pw_stream_destroy(read.stream);
    pw_thread_loop_unlock(read.loop);
    if (!ok)
        out = PipeWirePicture{};
    return ok;
}

} // namespace platform
