#include "KWinScreenCapture.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QImage>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace platform {

namespace {

constexpr int kCallLimitMs = 2000;
constexpr int kReadLimitMs = 2000;

// Reads `fd` to its end into `data`, at most `limit` bytes; false when the writer stalled for
// kReadLimitMs or more came than announced.
bool ReadAll(int fd, std::vector<uchar>& data, size_t limit)
{
    data.clear();
    data.reserve(limit);
    uchar chunk[65536];
    for (;;) {
        pollfd ready{fd, POLLIN, 0};
        const int polled = ::poll(&ready, 1, kReadLimitMs);
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled <= 0)
            return false;
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        if (data.size() + static_cast<size_t>(n) > limit)
            return false;
        data.insert(data.end(), chunk, chunk + n);
    }
}

} // namespace

bool KWinScreenCapture::CaptureVirtualScreen(CapturedScreen& out)
{
    out = CapturedScreen{};
    std::lock_guard guard(m_lock);
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return false;
    QVariantMap results;
    bool ok = false;
    {
        // Every copy of the write end must be gone before the read, or it never ends: the
        // descriptor object and the message each hold one.
        const QDBusUnixFileDescriptor writeEnd(pipeFds[1]);
        ::close(pipeFds[1]);
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.kde.KWin.ScreenShot2"), QStringLiteral("/org/kde/KWin/ScreenShot2"),
            QStringLiteral("org.kde.KWin.ScreenShot2"), QStringLiteral("CaptureWorkspace"));
        // Our own windows stay in the picture, as in every other capture; the effects are gone by then.
        const QVariantMap options{{QStringLiteral("include-cursor"), false},
                                  {QStringLiteral("native-resolution"), true},
                                  {QStringLiteral("hide-caller-windows"), false}};
        call.setArguments({options, QVariant::fromValue(writeEnd)});
        const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, kCallLimitMs);
        ok = reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty();
        if (ok)
            results = qdbus_cast<QVariantMap>(reply.arguments().at(0));
    }
    const int width = results.value(QStringLiteral("width")).toInt();
    const int height = results.value(QStringLiteral("height")).toInt();
    const int stride = results.value(QStringLiteral("stride")).toInt();
    const auto format = static_cast<QImage::Format>(results.value(QStringLiteral("format")).toInt());
    ok = ok && results.value(QStringLiteral("type")).toString() == QStringLiteral("raw") && width > 0 &&
         height > 0 && stride >= width && format != QImage::Format_Invalid;
    std::vector<uchar> data;
    // Ours gone, the read ends when KWin closes its copy.
    ok = ok && ReadAll(pipeFds[0], data, static_cast<size_t>(stride) * height) &&
         data.size() == static_cast<size_t>(stride) * height;
    ::close(pipeFds[0]);
    if (!ok)
        return false;

    const QImage picture =
        QImage(data.data(), width, height, stride, format).convertToFormat(QImage::Format_RGB32);
    if (picture.isNull())
        return false;
    out.width = width;
    out.height = height;
    out.pixels = std::make_unique<uint32_t[]>(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        std::memcpy(out.pixels.get() + static_cast<size_t>(y) * width, picture.constScanLine(y),
                    static_cast<size_t>(width) * 4);
    return true;
}

} // namespace platform
