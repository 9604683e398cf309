#pragma once
// Downloads through QNetworkAccessManager: QtHttp waits in a local event
// loop as a blocking download would, with a time limit and a size limit;
// QtHttpFetch fetches into memory and answers from the event loop.

#include <QNetworkAccessManager>
#include <map>

#include "host/host.h"

namespace host {

class QtHttp : public Http {
public:
    static constexpr int kDefaultTimeoutMs = 15000;
    static constexpr long long kMaxBytes = 1 << 20;  // version files are a few lines

    explicit QtHttp(int timeoutMs = kDefaultTimeoutMs) : timeoutMs_(timeoutMs) {}
    bool download(const std::string& url, const std::string& path, std::string& error) override;

private:
    int timeoutMs_;
};

class QtHttpFetch : public HttpFetch {
public:
    QtHttpFetch();
    ~QtHttpFetch() override;
    Ticket fetch(const FetchRequest& request, std::function<void(FetchReply reply)> done) override;
    void cancel(Ticket ticket) override;

private:
    QNetworkAccessManager manager_;
    std::map<Ticket, class QNetworkReply*> open_;
    Ticket last_ = 0;
};

}  // namespace host
