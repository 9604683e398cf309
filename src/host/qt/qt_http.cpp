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

}  // namespace host
