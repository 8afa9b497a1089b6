#include <iostream>
#include <string>
#include <vector>

#include "ExportCommand.hpp"

int main(int argc, char** argv) {
    tessarin::ExportOptions options;
    std::string error;
    if (!tessarin::parseExportArgs(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::cerr << "tessarin-export: " << error << "\n" << tessarin::kExportUsage << "\n";
        return 2;
    }
    return tessarin::runExport(options, std::cerr);
}
