#include "LayerShellSurface.h"


#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

// The generated header names an argument `namespace`, a C++ keyword.
#define namespace layer_namespace
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace

#include <QPainter>

#include <atomic>
#include <cstring>

namespace platform {
namespace {

// A compositor that does not configure a new surface within this is taken as refusing it.
constexpr int kConfigureLimitMs = 2000;
// Buffers a surface may hold while the compositor keeps the others; a paint waits for one
// beyond that.
constexpr size_t kMostBuffers = 3;
constexpr int kReleaseLimitMs = 100;

void ClearInput(wl_compositor* compositor, wl_surface* surface)
{
    wl_region* none = wl_compositor_create_region(compositor);
    wl_surface_set_input_region(surface, none);
    wl_region_destroy(none);
}

} // namespace

struct LayerShellSurface::Buffer {
    LayerShellConnection* connection = nullptr;
    wl_buffer* buffer = nullptr;
    void* data = MAP_FAILED;
    size_t bytes = 0;
    QImage image;
    std::atomic<bool> busy{false};
    QRegion stale; // changed by other frames since this one was painted

    ~Buffer()
    {
        if (buffer != nullptr)
            wl_buffer_destroy(buffer);
        if (data != MAP_FAILED)
            ::munmap(data, bytes);
    }

    static std::unique_ptr<Buffer> Make(LayerShellConnection& connection, QSize size)
    {
        auto made = std::make_unique<Buffer>();
        made->connection = &connection;
        const int stride = size.width() * 4;
        made->bytes = static_cast<size_t>(stride) * static_cast<size_t>(size.height());
        const int fd = ::memfd_create("orvelle-overlay", MFD_CLOEXEC);
        if (fd < 0)
            return nullptr;
        if (::ftruncate(fd, static_cast<off_t>(made->bytes)) != 0) {
            ::close(fd);
            return nullptr;
        }
        made->data = ::mmap(nullptr, made->bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (made->data == MAP_FAILED) {
            ::close(fd);
            return nullptr;
        }
        wl_shm_pool* pool = wl_shm_create_pool(connection.Shm(), fd, static_cast<int32_t>(made->bytes));
        made->buffer = wl_shm_pool_create_buffer(pool, 0, size.width(), size.height(), stride, WL_SHM_FORMAT_ARGB8888);
        wl_shm_pool_destroy(pool);
        ::close(fd);
        static const wl_buffer_listener listener = {[](void* data, wl_buffer*) {
            auto* self = static_cast<Buffer*>(data);
            self->busy.store(false);
            self->connection->Notify();
        }};
        wl_buffer_add_listener(made->buffer, &listener, made.get());
        // wl_shm's ARGB8888 is premultiplied, little-endian 0xAARRGGBB: Qt's ARGB32_Premultiplied.
        made->image = QImage(static_cast<uchar*>(made->data), size.width(), size.height(), stride,
                             QImage::Format_ARGB32_Premultiplied);
        made->image.fill(Qt::transparent);
        made->stale = QRegion(QRect(QPoint(0, 0), size));
        return made;
    }

    // Copies `region` from `from`, which holds the newest frame there.
    void CatchUp(const Buffer& from, const QRegion& region)
    {
        const int stride = image.bytesPerLine();
        for (const QRect& rect : region.intersected(image.rect())) {
            for (int y = rect.top(); y <= rect.bottom(); ++y) {
                const size_t offset = static_cast<size_t>(y) * static_cast<size_t>(stride) + rect.left() * 4u;
                std::memcpy(static_cast<char*>(data) + offset, static_cast<const char*>(from.data) + offset,
                            static_cast<size_t>(rect.width()) * 4u);
            }
        }
    }
};

struct LayerShellSurface::LayerState {
    LayerShellConnection* connection = nullptr;
    bool configured = false; // under the connection's lock
    bool closed = false;
    int width = 0;
    int height = 0;
};

LayerShellSurface::LayerShellSurface(std::shared_ptr<LayerShellConnection> connection, LayerShellSurface* parent)
    : m_connection(std::move(connection)), m_parent(parent)
{
    m_surface = wl_compositor_create_surface(m_connection->Compositor());
    ClearInput(m_connection->Compositor(), m_surface);
}

std::unique_ptr<LayerShellSurface> LayerShellSurface::CreateLayer(std::shared_ptr<LayerShellConnection> connection,
                                                                  const ScreenRect& screen,
                                                                  const OverlayPlacement& placement)
{
    const LayerShellOutput* output = connection->OutputFor(screen);
    std::unique_ptr<LayerShellSurface> made(new LayerShellSurface(connection, nullptr));
    made->m_scale = output != nullptr ? output->scale : 1;
    made->m_state = std::make_unique<LayerState>();
    made->m_state->connection = connection.get();
    made->m_layer = zwlr_layer_shell_v1_get_layer_surface(connection->LayerShell(), made->m_surface,
                                                          output != nullptr ? output->output : nullptr,
                                                          ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "orvelle-overlay");
    static const zwlr_layer_surface_v1_listener listener = {
        [](void* data, zwlr_layer_surface_v1* layer, uint32_t serial, uint32_t width, uint32_t height) {
            auto* state = static_cast<LayerState*>(data);
            zwlr_layer_surface_v1_ack_configure(layer, serial);
            {
                std::lock_guard guard(state->connection->Lock());
                state->configured = true;
                state->width = static_cast<int>(width);
                state->height = static_cast<int>(height);
            }
            state->connection->Notify();
        },
        [](void* data, zwlr_layer_surface_v1*) {
            auto* state = static_cast<LayerState*>(data);
            {
                std::lock_guard guard(state->connection->Lock());
                state->closed = true;
            }
            state->connection->Notify();
        },
    };
    zwlr_layer_surface_v1_add_listener(made->m_layer, &listener, made->m_state.get());
    using Anchor = OverlayPlacement::Anchor;
    const int scale = made->m_scale;
    uint32_t edges = 0;
    if (placement.anchor == Anchor::Cover)
        edges = ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT;
    else if (placement.anchor == Anchor::TopRight)
        edges = ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT;
    zwlr_layer_surface_v1_set_anchor(made->m_layer, edges);
    if (placement.anchor != Anchor::Cover)
        zwlr_layer_surface_v1_set_size(made->m_layer, static_cast<uint32_t>((placement.size.width() + scale - 1) / scale),
                                       static_cast<uint32_t>((placement.size.height() + scale - 1) / scale));
    if (placement.anchor == Anchor::TopRight)
        zwlr_layer_surface_v1_set_margin(made->m_layer, placement.margin / scale, placement.margin / scale, 0, 0);
    zwlr_layer_surface_v1_set_exclusive_zone(made->m_layer, -1);
    zwlr_layer_surface_v1_set_keyboard_interactivity(made->m_layer, placement.takesKeys ? 1 : 0);
    wl_surface_set_buffer_scale(made->m_surface, scale);
    if (placement.onPointer) {
        // The whole surface takes the pointer: its default input region.
        wl_surface_set_input_region(made->m_surface, nullptr);
    }
    if ((placement.takesKeys && placement.onKey) || placement.onPointer) {
        connection->Route(made->m_surface,
                          {placement.takesKeys ? placement.onKey : nullptr, placement.onPointer, scale, placement.cursor});
        made->m_routed = true;
    }
    wl_surface_commit(made->m_surface);
    connection->Flush();
    LayerState* state = made->m_state.get();
    if (!connection->WaitFor([state] { return state->configured || state->closed; }, kConfigureLimitMs))
        return nullptr;
    {
        std::lock_guard guard(connection->Lock());
        if (state->closed || state->width <= 0 || state->height <= 0)
            return nullptr;
        made->m_size = QSize(state->width * scale, state->height * scale);
    }
    made->m_counted = placement.blocksCapture;
    if (made->m_counted)
        ++connection->shown;
    return made;
}

LayerShellSurface::~LayerShellSurface()
{
    if (m_counted)
        --m_connection->shown;
    if (m_routed)
        m_connection->StopRouting(m_surface);
    // Listeners point at the buffers and the state: they go where the listeners run.
    m_connection->RunOnEventThread([this] {
        m_buffers.clear();
        if (m_subsurface)
            wl_subsurface_destroy(m_subsurface);
        if (m_layer)
            zwlr_layer_surface_v1_destroy(m_layer);
        wl_surface_destroy(m_surface);
        m_state.reset();
        m_connection->Flush();
    });
}

bool LayerShellSurface::Gone() const
{
    if (m_connection->Broken())
        return true;
    if (m_parent != nullptr)
        return m_parent->Gone();
    std::lock_guard guard(m_connection->Lock());
    return m_state == nullptr || m_state->closed;
}

LayerShellSurface::Buffer* LayerShellSurface::FreeBuffer()
{
    for (auto& buffer : m_buffers) {
        if (!buffer->busy.load())
            return buffer.get();
    }
    if (m_buffers.size() < kMostBuffers) {
        if (std::unique_ptr<Buffer> made = Buffer::Make(*m_connection, m_size)) {
            m_buffers.push_back(std::move(made));
            return m_buffers.back().get();
        }
        return nullptr;
    }
    Buffer* found = nullptr;
    m_connection->WaitFor(
        [&] {
            for (auto& buffer : m_buffers) {
                if (!buffer->busy.load()) {
                    found = buffer.get();
                    return true;
                }
            }
            return false;
        },
        kReleaseLimitMs);
    return found;
}

bool LayerShellSurface::Paint(const QRegion& damage, const std::function<void(QPainter&)>& draw)
{
    if (m_connection->Broken() || m_size.isEmpty())
        return false;
    if (m_state) {
        std::lock_guard guard(m_connection->Lock());
        if (m_state->closed)
            return false;
    }
    Buffer* buffer = FreeBuffer();
    if (buffer == nullptr) {
        // The compositor holds every buffer: this frame's pixels wait for the next paint.
        m_missed += damage;
        return true;
    }
    if (m_front != nullptr && m_front != buffer)
        buffer->CatchUp(*m_front, buffer->stale);
    buffer->stale = QRegion();
    // A fresh buffer with nothing to catch up from is painted whole.
    const QRegion painted = m_front == nullptr ? QRegion(buffer->image.rect()) : damage + m_missed;
    m_missed = QRegion();
    {
        QPainter painter(&buffer->image);
        painter.setClipRegion(painted);
        draw(painter);
    }
    for (auto& other : m_buffers) {
        if (other.get() != buffer)
            other->stale += painted;
    }
    buffer->busy.store(true);
    m_front = buffer;
    wl_surface_attach(m_surface, buffer->buffer, 0, 0);
    for (const QRect& rect : painted)
        wl_surface_damage_buffer(m_surface, rect.x(), rect.y(), rect.width(), rect.height());
    wl_surface_commit(m_surface);
    m_connection->Flush();
    return true;
}

void LayerShellSurface::MoveTo(QPoint topLeft)
{
    if (m_subsurface == nullptr)
        return;
    wl_subsurface_set_position(m_subsurface, topLeft.x() / m_scale, topLeft.y() / m_scale);
    // A subsurface's position is the parent's state: it moves with the parent's commit.
    wl_surface_commit(m_parent->m_surface);
    m_connection->Flush();
}

void LayerShellSurface::Hide()
{
    if (m_subsurface == nullptr)
        return;
    wl_surface_attach(m_surface, nullptr, 0, 0);
    wl_surface_commit(m_surface);
    m_connection->Flush();
    // The next paint attaches a buffer again and must send it whole.
    m_front = nullptr;
    for (auto& buffer : m_buffers)
        buffer->stale = QRegion(buffer->image.rect());
}

std::unique_ptr<IOverlaySurface> LayerShellSurface::AddChild(QSize size)
{
    if (size.isEmpty())
        return nullptr;
    std::unique_ptr<LayerShellSurface> child(new LayerShellSurface(m_connection, this));
    child->m_scale = m_scale;
    child->m_size = size;
    child->m_subsurface = wl_subcompositor_get_subsurface(m_connection->Subcompositor(), child->m_surface, m_surface);
    // Its pictures show as soon as they are committed; only its position waits for the parent.
    wl_subsurface_set_desync(child->m_subsurface);
    wl_surface_set_buffer_scale(child->m_surface, m_scale);
    wl_surface_commit(child->m_surface);
    wl_surface_commit(m_surface);
    m_connection->Flush();
    return child;
}

} // namespace platform
