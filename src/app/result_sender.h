#pragma once
// Finished games on their way to a school's database. The rows are kept in
// the pupil's data folder first and sent from a thread of their own, so
// neither a game's start nor its end screen waits for the network; rows an
// earlier game could not send go at the next start of any game. The pupil
// hears once, for each result, that it has to wait.
#include "resultsdb/outbox.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

class QWidget;

namespace taleplay {

class ResultSender final : public QObject {
    Q_OBJECT
  public:
    // `outboxFolder`: where rows wait (native); nothing when the pupil has
    // no data folder, and a row then goes only if it can go at once.
    // `busy` tells when a message to the pupil must wait (an event of the
    // game is being handled).
    ResultSender(QWidget& window, std::optional<std::string> outboxFolder,
                 std::function<bool()> busy);
    // Lets a send under way finish for a moment, then stops it: what did
    // not go waits in the data folder for the next start.
    ~ResultSender() override;

    // Sends the rows earlier games kept, if there are any.
    void sendKept();
    // Keeps `row` and sends it, with any kept before.
    void send(resultsdb::Unsent row);

    // Waits until nothing is being sent, or `ms` have passed; false then.
    bool waitUntilIdle(int ms);

    // Where the rows of a pupil wait: the pupil's data folder's unsent/.
    static std::optional<std::string> outboxOf(const std::function<const char*(const char*)>& env);

    // How long closing waits for a send under way.
    static constexpr int kGraceMs = 3000;

  private:
    struct Job {
        std::optional<resultsdb::Unsent> row; // nothing: only the kept rows
        bool kept = false;                    // the row is in the outbox
        std::string whyNotKept;
    };
    void post(Job job);
    void work();
    void tell(const std::string& text);
    void showWhenFree(const std::string& text);

    QWidget& window_;
    std::optional<resultsdb::Outbox> outbox_;
    std::function<bool()> busy_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Job> jobs_;
    bool working_ = false; // a job has been taken and is under way
    bool closing_ = false;
    std::atomic<bool> stop_{false};
    std::thread worker_;
};

} // namespace taleplay
