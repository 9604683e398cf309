#pragma once
// Downloads through QNetworkAccessManager, waiting in a local event loop as
// a blocking download would, with a time limit and a size limit.

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

}  // namespace host
