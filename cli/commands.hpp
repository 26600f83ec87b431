#pragma once

#include <string>
#include <vector>

// The subcommands of ostrevo-cli; each takes the arguments after its name and returns the
// exit status.
namespace velmora::cli {

int infoCommand(const std::vector<std::string>& args);
int convertCommand(const std::vector<std::string>& args);
int runCommand(const std::vector<std::string>& args);
int searchCommand(const std::vector<std::string>& args);
int samplesCommand(const std::vector<std::string>& args);
int importBackupCommand(const std::vector<std::string>& args);
int keysCommand(const std::vector<std::string>& args);
int mergeCommand(const std::vector<std::string>& args);
int mergeCopiesCommand(const std::vector<std::string>& args);

} // namespace velmora::cli
