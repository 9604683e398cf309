#pragma once
// Serves downloads from memory; an address it does not know fails.

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

}  // namespace host
