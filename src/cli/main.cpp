// brevanto-cli: everything lives in the CLI library, which the tests link too.
#include "cli/Commands.h"

int main(int argc, char** argv) {
    return RunCli(argc, argv);
}
