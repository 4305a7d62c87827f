// Sending finished games to a school's database.
#include "app/result_sender.h"

#include "app/class_results_text.h"
#include "app/language.h"
#include "app/launcher.h"
#include "platform/system.h"
#include "resultsdb/sending.h"

#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <iostream>

namespace taleplay {

using launch::Phrase;
using launch::translate;

ResultSender::ResultSender(QWidget& window, std::optional<std::string> outboxFolder,
                           std::function<bool()> busy)
    : QObject(&window), window_(window), busy_(std::move(busy)) {
    if (outboxFolder)
        outbox_.emplace(std::move(*outboxFolder));
}

ResultSender::~ResultSender() {
    {
        std::unique_lock lock(mutex_);
        closing_ = true;
        changed_.wait_for(lock, std::chrono::milliseconds(kGraceMs),
                          [this] { return jobs_.empty() && !working_; });
        stop_ = true;
    }
    changed_.notify_all();
    if (worker_.joinable())
        worker_.join();
}

std::optional<std::string>
ResultSender::outboxOf(const std::function<const char*(const char*)>& env) {
    const std::optional<std::string> own = launch::userResultFolder(env);
    if (!own)
        return std::nullopt;
    return *own + "unsent/";
}

void ResultSender::sendKept() {
    // Most starts have nothing waiting: no thread for them.
    if (!outbox_ || outbox_->list().rows.empty())
        return;
    post({});
}

void ResultSender::send(resultsdb::Unsent row) {
    const resultsdb::Check checked = resultsdb::check(row.connection);
    if (checked.refusal != resultsdb::Refusal::None) {
        tell(translate(Phrase{"ResultsDatabase",
                              TALEPLAY_TEXT("ResultsDatabase",
                                            "Your result was not sent to the results database. "
                                            "%1"),
                              {translate(launch::connectionRefusal(checked))}}));
        return;
    }
    Job job;
    job.kept = outbox_ && outbox_->keep(row, job.whyNotKept);
    if (!outbox_)
        job.whyNotKept = translate(Phrase{
            "ResultsDatabase", TALEPLAY_TEXT("ResultsDatabase", "there is no home folder"), {}});
    job.row = std::move(row);
    post(std::move(job));
}

void ResultSender::post(Job job) {
    {
        std::lock_guard lock(mutex_);
        if (closing_)
            return;
        jobs_.push_back(std::move(job));
        if (!worker_.joinable())
            worker_ = std::thread([this] { work(); });
    }
    changed_.notify_all();
}

bool ResultSender::waitUntilIdle(int ms) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(ms),
                             [this] { return jobs_.empty() && !working_; });
}

void ResultSender::work() {
    const resultsdb::Patience patience{std::chrono::seconds(10), &stop_};
    for (;;) {
        std::deque<Job> jobs;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return !jobs_.empty() || stop_; });
            if (stop_)
                return;
            jobs.swap(jobs_);
            working_ = true;
        }
        // Rows that could not be kept go alone; the kept ones all together,
        // the oldest first.
        std::vector<resultsdb::Unsent> loose;
        for (const Job& j : jobs)
            if (j.row && !j.kept)
                loose.push_back(*j.row);
        resultsdb::Delivery delivery = resultsdb::send(loose, nullptr, patience);
        if (outbox_) {
            resultsdb::Delivery kept = resultsdb::sendKept(*outbox_, patience);
            delivery.sent.insert(delivery.sent.end(), kept.sent.begin(), kept.sent.end());
            delivery.waiting += kept.waiting;
            if (delivery.problem.empty())
                delivery.problem = kept.problem;
            delivery.why.merge(kept.why);
            delivery.damaged = std::move(kept.damaged);
        }
        auto sent = [&delivery](const std::string& id) {
            return std::find(delivery.sent.begin(), delivery.sent.end(), id) != delivery.sent.end();
        };
        bool toldAboutKept = false;
        std::size_t told = 0;
        for (const Job& j : jobs) {
            if (!j.row || sent(j.row->id) || stop_)
                continue;
            ++told;
            // One message for the results of one send, whatever their number.
            if (j.kept && toldAboutKept)
                continue;
            toldAboutKept = toldAboutKept || j.kept;
            const auto own = delivery.why.find(j.row->id);
            const std::string problem =
                launch::databaseProblem(own != delivery.why.end() ? own->second : delivery.problem);
            tell(j.kept ? translate(Phrase{"ResultsDatabase",
                                           TALEPLAY_TEXT("ResultsDatabase",
                                                         "Your result could not be sent to the "
                                                         "results database now (%1). It is kept "
                                                         "on this computer and will be sent when "
                                                         "a game is started again."),
                                           {problem}})
                        : translate(Phrase{"ResultsDatabase",
                                           TALEPLAY_TEXT("ResultsDatabase",
                                                         "Your result could not be sent to the "
                                                         "results database (%1), nor kept on "
                                                         "this computer to be sent later (%2): "
                                                         "tell your teacher."),
                                           {problem, j.whyNotKept}}));
        }
        // What waits from earlier games is no news to the pupil: the
        // terminal hears it, for whoever looks after the computers.
        if (delivery.waiting > told && !stop_)
            std::cerr << "taleplay: "
                      << translate(Phrase{"ResultsDatabase",
                                          TALEPLAY_TEXT("ResultsDatabase",
                                                        "results waiting to be sent: %1; not "
                                                        "sent now: %2"),
                                          {std::to_string(delivery.waiting - told),
                                           launch::databaseProblem(delivery.problem)}})
                      << "\n";
        for (const std::string& file : delivery.damaged)
            std::cerr << "taleplay: "
                      << translate(Phrase{"ResultsDatabase",
                                          TALEPLAY_TEXT("ResultsDatabase",
                                                        "%1 holds no result; it is left as it is"),
                                          {file}})
                      << "\n";
        {
            std::lock_guard lock(mutex_);
            working_ = false;
        }
        changed_.notify_all();
    }
}

void ResultSender::tell(const std::string& text) {
    // The terminal at once, whatever comes of the window. The box from the
    // window's thread, and never into the middle of a click, whose rules go
    // on after a modal box.
    std::cerr << "taleplay: " << text << std::endl;
    QMetaObject::invokeMethod(this, [this, text] { showWhenFree(text); }, Qt::QueuedConnection);
}

void ResultSender::showWhenFree(const std::string& text) {
    if (busy_ && busy_()) {
        QTimer::singleShot(100, this, [this, text] { showWhenFree(text); });
        return;
    }
    platform::warningBox(&window_, "Taleplay", text);
}

} // namespace taleplay
