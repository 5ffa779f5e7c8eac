#include "app/CommandLine.h"

int main(int argc, char** argv) {
    fray::CommandLine cl(std::vector<std::string>(argv, argv + argc));
    return cl.run(argc, argv);
}
