// Every command of plova-cli, one line each, in the order --help lists them.
// A new command is a source file defining `const Command <name>Command` and a
// line here.
PLOVA_COMMAND(records)
PLOVA_COMMAND(inspect)
PLOVA_COMMAND(adopt)
PLOVA_COMMAND(convert)
PLOVA_COMMAND(probe)
PLOVA_COMMAND(download)
PLOVA_COMMAND(import)
PLOVA_COMMAND(upload)
PLOVA_COMMAND(backup)
PLOVA_COMMAND(verify)
PLOVA_COMMAND(export)
PLOVA_COMMAND(log)
