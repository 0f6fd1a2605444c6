// The settings file the window leaves for its automatic backup, as the
// command-line tests of the backup start from it.
#pragma once

#include <string>

#include "platform/IniFile.h"

namespace plova::testkit {

// The login to the simulated main unit on loopback kept (`user`,
// `password`), a daily run, and one retry after the shortest wait. The root
// folder is the test's to add.
inline IniDocument BackupSettings(const std::u16string& user, const std::u16string& password) {
    IniDocument ini;
    ini.Set(u"LOGIN", u"IP", u"127.0.0.1");
    ini.Set(u"LOGIN", u"USER", user);
    ini.Set(u"LOGIN", u"PASS", password);
    ini.SetInt(u"LOGIN", u"CHECK", 1);
    ini.SetInt(u"BACKUP", u"HINDO", 1);
    ini.SetInt(u"BACKUP", u"RETRYCNT", 1);
    ini.SetInt(u"BACKUP", u"RETRYWAIT", 10000);
    return ini;
}

}  // namespace plova::testkit
