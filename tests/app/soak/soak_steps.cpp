#include "tests/app/soak/soak_steps.hpp"

#include <sstream>

namespace velmora::soak {
namespace {

std::string escaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else {
            out += c;
        }
    }
    return out;
}

std::string unescaped(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char next = text[++i];
            out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

std::string format(const Step& step) {
    std::string line = step.kind + ' ' + std::to_string(step.a) + ' ' + std::to_string(step.b);
    if (!step.text.empty()) {
        line += ' ' + escaped(step.text);
    }
    return line;
}

std::string format(const Sequence& sequence) {
    std::string out = "document " + std::to_string(sequence.documentSeed) + '\n';
    for (const Step& step : sequence.steps) {
        out += format(step) + '\n';
    }
    return out;
}

std::optional<Sequence> parse(const std::string& text, std::string* error) {
    Sequence sequence;
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    bool sawDocument = false;
    const auto fail = [&](const char* why) -> std::optional<Sequence> {
        if (error) {
            *error = "line " + std::to_string(number) + ": " + why;
        }
        return std::nullopt;
    };
    while (std::getline(lines, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty() || line.front() == '#') {
            continue;
        }
        std::istringstream fields(line);
        std::string kind;
        fields >> kind;
        if (kind == "document") {
            long long seed = -1;
            if (!(fields >> seed) || seed < 0 || sawDocument) {
                return fail("a document line needs one seed, once");
            }
            sequence.documentSeed = static_cast<unsigned>(seed);
            sawDocument = true;
            continue;
        }
        Step step;
        step.kind = kind;
        if (!(fields >> step.a >> step.b)) {
            return fail("a step is a kind and two numbers");
        }
        if (fields.peek() == ' ') {
            fields.get();
            std::string rest;
            std::getline(fields, rest);
            step.text = unescaped(rest);
        }
        sequence.steps.push_back(std::move(step));
    }
    if (!sawDocument) {
        return fail("no document line");
    }
    return sequence;
}

} // namespace velmora::soak
