#include "host/qt/qt_http.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QTimer>
#include <QUrl>

namespace host {

bool QtHttp::download(const std::string& url, const std::string& path, std::string& error) {
    QUrl address(QString::fromStdString(url));
    if (!address.isValid() || address.scheme().isEmpty()) {
        error = "Not a web address: " + url;
        return false;
    }
    QNetworkAccessManager manager;
    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkReply* reply = manager.get(request);

    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    bool timedOut = false, tooLarge = false;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::downloadProgress, &loop, [&](qint64 received, qint64) {
        if (received > kMaxBytes && !tooLarge) {
            tooLarge = true;
            reply->abort();
        }
    });
    timer.start(timeoutMs_);
    if (!reply->isFinished()) loop.exec(QEventLoop::ExcludeUserInputEvents);
    timer.stop();

    bool ok = reply->error() == QNetworkReply::NoError && !timedOut && !tooLarge;
    if (!ok)
        error = timedOut ? "No answer from " + url
                : tooLarge ? "Download larger than expected: " + url
                           : reply->errorString().toStdString();
    QByteArray body = ok ? reply->readAll() : QByteArray();
    reply->deleteLater();
    if (!ok) return false;

    // Written whole or not at all: a previous copy stays on failure.
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly) || file.write(body) != body.size() || !file.commit()) {
        error = path + ": " + file.errorString().toStdString();
        return false;
    }
    return true;
}

QtHttpFetch::QtHttpFetch() = default;

QtHttpFetch::~QtHttpFetch() {
    // Requests still open are dropped unanswered.
    for (auto& [ticket, reply] : open_) {
        reply->disconnect();
        reply->abort();
        reply->deleteLater();
    }
}

HttpFetch::Ticket QtHttpFetch::fetch(const FetchRequest& request, std::function<void(FetchReply reply)> done) {
    const Ticket ticket = ++last_;
    QUrl address(QString::fromStdString(request.url));
    if (!address.isValid() || address.scheme().isEmpty()) {
        // Answered from the event loop like every other request.
        FetchReply r;
        r.error = "Not a web address: " + request.url;
        QTimer::singleShot(0, &manager_, [done = std::move(done), r = std::move(r)] { done(r); });
        return ticket;
    }
    QNetworkRequest q(address);
    q.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    q.setHeader(QNetworkRequest::UserAgentHeader, QString::fromStdString(request.userAgent));
    q.setTransferTimeout(request.timeoutMs);
    QNetworkReply* reply = manager_.get(q);
    open_[ticket] = reply;
    const long long maxBytes = request.maxBytes;
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply, [reply, maxBytes](qint64 received, qint64) {
        if (received > maxBytes) {
            reply->setProperty("tooLarge", true);
            reply->abort();
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, reply, [this, ticket, reply, url = request.url,
                                                              done = std::move(done)] {
        open_.erase(ticket);
        FetchReply r;
        r.httpStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (reply->property("tooLarge").toBool()) {
            r.error = "Answer larger than expected: " + url;
        } else if (reply->error() != QNetworkReply::NoError) {
            r.error = reply->errorString().toStdString();
        } else {
            QByteArray body = reply->readAll();
            r.body.assign(body.constData(), static_cast<size_t>(body.size()));
            r.ok = true;
        }
        reply->deleteLater();
        done(std::move(r));
    });
    return ticket;
}

void QtHttpFetch::cancel(Ticket ticket) {
    auto it = open_.find(ticket);
    if (it == open_.end()) return;
    QNetworkReply* reply = it->second;
    open_.erase(it);
    reply->disconnect();
    reply->abort();
    reply->deleteLater();
}

}  // namespace host
