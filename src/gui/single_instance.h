#pragma once
// One program per user and target: the first start on a target listens on a local socket named after the
// user and the target; a later start on the same target reaches it, asks it to bring its window forward,
// and ends. Another target gets a program of its own.
#include <QLocalServer>
#include <QObject>

#include <functional>
#include <string>

namespace vx::gui {

class SingleInstance : public QObject {
  public:
    // `target`: the target's identity (the same for every opening of the same target).
    explicit SingleInstance(const std::string& target, QObject* parent = nullptr);

    // True when a program on this target is running and was asked to come forward.
    bool AskRunningToComeForward();
    // Listens for later starts; `comeForward` runs for each. False when the socket cannot be made (the
    // program then runs on alone).
    bool Listen(std::function<void()> comeForward);

    const QString& name() const { return name_; }

  private:
    QString name_;
    QLocalServer server_;
    std::function<void()> comeForward_;
};

} // namespace vx::gui
