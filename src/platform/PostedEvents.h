#pragma once
// Events that worker threads post to windows in place of window messages. An event owns its
// payload; Qt deletes it after delivery, or with its receiver when it was never delivered.

#include <QEvent>

// Event types, numbered after the messages they stand for.
namespace QvEvent {
inline constexpr int kUserBase = QEvent::User;            // WM_USER + n
inline constexpr int kAppBase = QEvent::User + 0x7C00;    // WM_APP + n
inline const QEvent::Type ConvProgress = QEvent::Type(kUserBase + 100);
inline const QEvent::Type ConvLog = QEvent::Type(kUserBase + 101);
inline const QEvent::Type ConvFinished = QEvent::Type(kUserBase + 105);
} // namespace QvEvent

// An event carrying one value.
template <typename Payload>
class PostedEvent final : public QEvent {
public:
    PostedEvent(QEvent::Type type, Payload payload) : QEvent(type), m_payload(std::move(payload)) {}
    const Payload& payload() const { return m_payload; }

private:
    Payload m_payload;
};
