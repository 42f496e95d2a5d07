#include "connectivity/netlist_test_tools.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <regex>
#include <sstream>
#include <vector>

#include "support/test_env.h"

namespace net_test {

namespace {

// "NET: PIN PIN ..." with the pins sorted.
std::string net_line(const std::string& net, std::vector<std::string> pins) {
    std::sort(pins.begin(), pins.end());
    std::string text = net + ":";
    for (const std::string& pin : pins) text += " " + pin;
    return text;
}

}  // namespace

std::string without_date(std::string text) {
    size_t at = text.find("  Generated on ");
    if (at != std::string::npos) text.erase(at, text.find('\n', at) + 1 - at);
    at = text.find("(comment \" generated");
    if (at != std::string::npos) text.erase(at, text.find('\n', at) - at);
    return text;
}

std::string run_ngspice(const std::string& deck) {
    std::string log = deck + ".log";
    std::string command = "ngspice -b '" + deck + "' >'" + log + "' 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0);
    return tn_test::read_text(log);
}

std::set<std::string> pcb_rnd_nets(const std::string& dir, const std::string& edif,
                                   std::string* log) {
    std::string script = dir + "/import.txt";
    tn_test::write_text(script,
                        "LoadFrom(Netlist, " + edif + ")\nSaveTo(LayoutAs, " + dir + "/out.lht)\n");
    std::string command =
        "cd '" + dir + "' && pcb-rnd --gui batch <'" + script + "' >'" + dir + "/pcb.log' 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0);
    *log = tn_test::read_text(dir + "/pcb.log");
    std::string layout = tn_test::read_text(dir + "/out.lht");
    std::set<std::string> nets;
    size_t at = layout.find("li:input {");
    std::regex net("ha:([^ ]+) \\{\\s*li:conn \\{([^}]*)\\}");
    if (at == std::string::npos) return nets;
    std::string block = layout.substr(at, layout.find("\n }", at) - at);
    for (std::sregex_iterator it(block.begin(), block.end(), net), end; it != end; ++it) {
        std::vector<std::string> pins;
        std::istringstream words((*it)[2].str());
        for (std::string word; words >> word;) {
            word.erase(std::remove_if(word.begin(), word.end(),
                                      [](char c) { return c == '&' || c == ';'; }),
                       word.end());
            pins.push_back(word);
        }
        nets.insert(net_line((*it)[1].str(), pins));
    }
    return nets;
}

std::optional<double> node_voltage(const std::string& solved, const std::string& node) {
    std::smatch found;
    std::string lower = node;
    std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
    if (!std::regex_search(solved, found, std::regex("\\s" + lower + "\\s+([-+.0-9e]+)")))
        return std::nullopt;
    double volts = 0;
    const std::string number = found[1].str();
    std::from_chars(number.data(), number.data() + number.size(), volts);
    return volts;
}

}  // namespace net_test
