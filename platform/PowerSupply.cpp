#include "platform/PowerSupply.h"

#include <filesystem>
#include <fstream>

namespace {

std::string FirstLine(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

} // namespace

PowerSupply::Status PowerSupply::Read(const std::string& folder) {
    Status status;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string type = FirstLine(it->path() / "type");
        if (type == "Mains") {
            status.mainsKnown = true;
            status.mainsOnline = status.mainsOnline || FirstLine(it->path() / "online") == "1";
        } else if (type == "Battery") {
            // A battery without a "present" file is there.
            const std::string present = FirstLine(it->path() / "present");
            status.batteryPresent = status.batteryPresent || present != "0";
        }
    }
    return status;
}
