#include "tests/app/ProgramRun.h"

#include <sys/stat.h>

#include <sstream>

namespace orvex::test {

ProgramRun::ProgramRun() { ::chmod(runtime_.path().c_str(), 0700); }

std::vector<std::string> ProgramRun::Argv(const std::vector<std::string>& args) const {
  std::vector<std::string> argv = {ORVEX_PROGRAM, "--test-devices"};
  argv.insert(argv.end(), args.begin(), args.end());
  return argv;
}

std::map<std::string, std::optional<std::string>> ProgramRun::Environment() const {
  std::map<std::string, std::optional<std::string>> env = {{"ORVEX_CONFIG_DIR", config_.str()},
                                                           {"XDG_RUNTIME_DIR", runtime_.str()},
                                                           {"DISPLAY", std::nullopt},
                                                           {"WAYLAND_DISPLAY", std::nullopt},
                                                           {"QT_QPA_PLATFORM", std::nullopt}};
  for (const auto& [name, value] : environment) env[name] = value;
  return env;
}

ChildResult ProgramRun::Run(const std::vector<std::string>& args) const {
  return RunChild(Argv(args), Environment(), kProgramDeadlineMs);
}

std::unique_ptr<ChildProcess> ProgramRun::Start(const std::vector<std::string>& args) const {
  return std::make_unique<ChildProcess>(Argv(args), Environment());
}

std::vector<std::string> MessageLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  bool inReport = false;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("-----", 0) == 0) {
      inReport = !inReport;
      continue;
    }
    if (!inReport && !line.empty()) lines.push_back(line);
  }
  return lines;
}

}  // namespace orvex::test
