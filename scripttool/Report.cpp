#include "scripttool/Report.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <ostream>

namespace kv410 {

namespace {

// ---------------------------------------------------------------- bytes

// Marks the start of an encoded report, so that a child that died half-way is recognised.
constexpr char ReportMagic[] = "KV410REPORT1";

void putNumber(std::string& out, uint64_t value) {
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

void putString(std::string& out, std::string_view text) {
    putNumber(out, text.size());
    out.append(text);
}

void putDouble(std::string& out, double value) {
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

// Reads what putNumber, putString and putDouble wrote; any read past the end fails.
struct ByteReader {
    std::string_view bytes;
    bool ok = true;

    bool take(void* to, size_t size) {
        if (!ok || bytes.size() < size) {
            ok = false;
            return false;
        }
        std::memcpy(to, bytes.data(), size);
        bytes.remove_prefix(size);
        return true;
    }
    uint64_t number() {
        uint64_t value = 0;
        take(&value, sizeof value);
        return value;
    }
    int integer() { return static_cast<int>(number()); }
    double real() {
        double value = 0;
        take(&value, sizeof value);
        return value;
    }
    std::string string() {
        const uint64_t size = number();
        if (!ok || bytes.size() < size) {
            ok = false;
            return {};
        }
        std::string text(bytes.substr(0, size));
        bytes.remove_prefix(size);
        return text;
    }
};

// ---------------------------------------------------------------- XML

// The length of the UTF-8 sequence at text[i] and its code point; 0 when it is not valid.
size_t utf8Sequence(std::string_view text, size_t i, uint32_t& code) {
    const auto lead = static_cast<unsigned char>(text[i]);
    size_t length = 0;
    uint32_t min = 0;
    if (lead < 0x80) {
        code = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        code = lead & 0x1F;
        min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        code = lead & 0x0F;
        min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        code = lead & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (i + length > text.size()) {
        return 0;
    }
    for (size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (next & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return 0;
    }
    return length;
}

// A character XML 1.0 can hold.
bool xmlCharacter(uint32_t code) {
    return code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF) ||
           (code >= 0xE000 && code <= 0xFFFD) || code >= 0x10000;
}

std::string number3(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

// The JUnit class name: the script's path as given, without its extension, with its folders
// joined by dots as Java packages are ("tests/scenarios/alarm-gt1.kvs" is
// "tests.scenarios.alarm-gt1"), so that two scripts of one name in different folders stay apart.
// "." and ".." and the root are left out.
std::string className(const std::string& file) {
    if (file == "<stdin>") {
        return "stdin";
    }
    const std::filesystem::path path(file);
    std::string name;
    for (const std::filesystem::path& folder : path.parent_path().relative_path()) {
        const std::string part = folder.string();
        if (!part.empty() && part != "." && part != "..") {
            name += part + '.';
        }
    }
    const std::string stem = path.stem().string();
    return stem.empty() ? file : name + stem;
}

std::string testName(int line, const std::string& step) {
    std::string name = "line " + std::to_string(line);
    if (!step.empty()) {
        name += ": " + step;
    }
    return name;
}

} // namespace

std::string encodeReport(const ScriptReport& report) {
    std::string out(ReportMagic);
    putString(out, report.file);
    putNumber(out, report.ran ? 1 : 0);
    putString(out, report.output);
    putNumber(out, static_cast<uint64_t>(report.passed));
    putNumber(out, static_cast<uint64_t>(report.failed));
    putDouble(out, report.seconds);
    putNumber(out, report.checks.size());
    for (const CheckReport& check : report.checks) {
        putNumber(out, static_cast<uint64_t>(check.line));
        putString(out, check.step);
        putNumber(out, check.passed ? 1 : 0);
        putString(out, check.expected);
        putString(out, check.found);
        putString(out, check.failure);
        putNumber(out, check.attachments.size());
        for (const std::string& file : check.attachments) {
            putString(out, file);
        }
        putDouble(out, check.seconds);
    }
    putNumber(out, report.problems.size());
    for (const ProblemReport& problem : report.problems) {
        putNumber(out, static_cast<uint64_t>(problem.line));
        putString(out, problem.message);
    }
    return out;
}

bool decodeReport(std::string_view bytes, ScriptReport& report) {
    const std::string_view magic(ReportMagic);
    if (bytes.substr(0, magic.size()) != magic) {
        return false;
    }
    ByteReader in{bytes.substr(magic.size())};
    report = ScriptReport{};
    report.file = in.string();
    report.ran = in.number() != 0;
    report.output = in.string();
    report.passed = in.integer();
    report.failed = in.integer();
    report.seconds = in.real();
    const uint64_t checks = in.number();
    for (uint64_t i = 0; in.ok && i < checks; ++i) {
        CheckReport check;
        check.line = in.integer();
        check.step = in.string();
        check.passed = in.number() != 0;
        check.expected = in.string();
        check.found = in.string();
        check.failure = in.string();
        const uint64_t attachments = in.number();
        for (uint64_t k = 0; in.ok && k < attachments; ++k) {
            check.attachments.push_back(in.string());
        }
        check.seconds = in.real();
        report.checks.push_back(std::move(check));
    }
    const uint64_t problems = in.number();
    for (uint64_t i = 0; in.ok && i < problems; ++i) {
        ProblemReport problem;
        problem.line = in.integer();
        problem.message = in.string();
        report.problems.push_back(std::move(problem));
    }
    return in.ok && in.bytes.empty();
}

std::string xmlText(std::string_view text, bool attribute) {
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        uint32_t code = 0;
        const size_t length = utf8Sequence(text, i, code);
        if (length == 0 || !xmlCharacter(code)) {
            out += "\xEF\xBF\xBD";
            i += length == 0 ? 1 : length;
            continue;
        }
        switch (code) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += attribute ? "&quot;" : "\"";
            break;
        case '\n':
            out += attribute ? "&#10;" : "\n";
            break;
        case '\r':
            out += "&#13;";
            break;
        case '\t':
            out += attribute ? "&#9;" : "\t";
            break;
        default:
            out.append(text.substr(i, length));
            break;
        }
        i += length;
    }
    return out;
}

void writeJUnit(std::ostream& out, const std::vector<ScriptReport>& reports) {
    struct Counts {
        size_t tests = 0;
        size_t failures = 0;
        size_t errors = 0;
        size_t skipped = 0;
    };
    const auto countsOf = [](const ScriptReport& report) {
        Counts counts;
        counts.tests = report.checks.size() + report.problems.size();
        for (const CheckReport& check : report.checks) {
            counts.failures += check.passed ? 0 : 1;
        }
        counts.errors = report.problems.size();
        if (!report.ran && report.problems.empty()) {
            counts.tests = 1;
            counts.skipped = 1;
        }
        return counts;
    };
    Counts total;
    double seconds = 0;
    for (const ScriptReport& report : reports) {
        const Counts counts = countsOf(report);
        total.tests += counts.tests;
        total.failures += counts.failures;
        total.errors += counts.errors;
        total.skipped += counts.skipped;
        seconds += report.seconds;
    }

    const auto attr = [](std::string_view text) { return xmlText(text, true); };
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<testsuites name=\"kv410-script\" tests=\"" << total.tests << "\" failures=\""
        << total.failures << "\" errors=\"" << total.errors << "\" skipped=\"" << total.skipped
        << "\" time=\"" << number3(seconds) << "\">\n";
    for (const ScriptReport& report : reports) {
        const Counts counts = countsOf(report);
        const std::string classname = attr(className(report.file));
        const std::string file = attr(report.file);
        out << "  <testsuite name=\"" << file << "\" tests=\"" << counts.tests << "\" failures=\""
            << counts.failures << "\" errors=\"" << counts.errors << "\" skipped=\""
            << counts.skipped << "\" time=\"" << number3(report.seconds) << "\">\n";
        for (const ProblemReport& problem : report.problems) {
            out << "    <testcase classname=\"" << classname << "\" name=\""
                << attr(problem.line > 0 ? "line " + std::to_string(problem.line) : "script")
                << "\" file=\"" << file << "\" line=\"" << problem.line << "\" time=\"0.000\">\n"
                << "      <error type=\"script\" message=\"" << attr(problem.message) << "\">"
                << xmlText(problem.message, false) << "</error>\n"
                << "    </testcase>\n";
        }
        if (!report.ran && report.problems.empty()) {
            out << "    <testcase classname=\"" << classname << "\" name=\"not run\" file=\""
                << file << "\" time=\"0.000\">\n"
                << "      <skipped message=\"not run: another script of the run could not be read "
                   "or understood\"/>\n"
                << "    </testcase>\n";
        }
        for (const CheckReport& check : report.checks) {
            out << "    <testcase classname=\"" << classname << "\" name=\""
                << attr(testName(check.line, check.step)) << "\" file=\"" << file << "\" line=\""
                << check.line << "\" time=\"" << number3(check.seconds) << "\"";
            if (check.passed) {
                out << "/>\n";
                continue;
            }
            out << ">\n      <failure type=\"check\" message=\""
                << attr("expected " + check.expected + ", got " + check.found) << "\">"
                << xmlText(check.failure, false) << "</failure>\n";
            if (!check.attachments.empty()) {
                out << "      <system-out>";
                for (const std::string& attachment : check.attachments) {
                    out << "[[ATTACHMENT|" << xmlText(attachment, false) << "]]\n";
                }
                out << "</system-out>\n";
            }
            out << "    </testcase>\n";
        }
        out << "    <system-out>" << xmlText(report.output, false) << "</system-out>\n"
            << "  </testsuite>\n";
    }
    out << "</testsuites>\n";
}

} // namespace kv410
