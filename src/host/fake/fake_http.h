#pragma once
// Serves downloads from memory; an address it does not know fails. The
// fetcher holds each request until the test answers it.

#include <fstream>
#include <map>

#include "host/host.h"

namespace host {

class FakeHttp : public Http {
public:
    std::map<std::string, std::string> files;  // address -> content
    std::vector<std::string> requested;

    bool download(const std::string& url, const std::string& path, std::string& error) override {
        requested.push_back(url);
        auto it = files.find(url);
        if (it == files.end()) {
            error = "Cannot reach " + url;
            return false;
        }
        std::ofstream(path, std::ios::binary) << it->second;
        return true;
    }
};

class FakeHttpFetch : public HttpFetch {
public:
    struct Open {
        Ticket ticket;
        FetchRequest request;
        std::function<void(FetchReply)> done;
    };
    std::vector<Open> open;              // requests not answered yet, oldest first
    std::vector<FetchRequest> requested;  // every request ever made
    int cancelled = 0;

    Ticket fetch(const FetchRequest& request, std::function<void(FetchReply reply)> done) override {
        requested.push_back(request);
        open.push_back({++last_, request, std::move(done)});
        return last_;
    }
    void cancel(Ticket ticket) override {
        cancelled += static_cast<int>(std::erase_if(open, [ticket](const Open& o) { return o.ticket == ticket; }));
    }
    // Answers the oldest open request for `url`; false when there is none.
    bool answer(const std::string& url, FetchReply reply) {
        for (auto it = open.begin(); it != open.end(); ++it)
            if (it->request.url == url) {
                auto done = std::move(it->done);
                open.erase(it);
                done(std::move(reply));
                return true;
            }
        return false;
    }
    static FetchReply body(std::string bytes) { return {true, 200, std::move(bytes), {}}; }
    static FetchReply failure(int httpStatus = 0) { return {false, httpStatus, {}, "unreachable"}; }

private:
    Ticket last_ = 0;
};

}  // namespace host
