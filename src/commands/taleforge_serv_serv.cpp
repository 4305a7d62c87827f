#include "commands/taleforge_serv_serv.h"

#include "app/taleforge_main.h"

namespace taleplay {

void MissingFileReport(TForm1& form, const std::string& path, Halt halt) {
    form.errorWindow().report(path, halt);
}

} // namespace taleplay
