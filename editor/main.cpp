// ZentribEditor FILE [LINE]: opens FILE with line LINE selected.
#include <string>
#include <vector>

#include "editor/editor_app.h"
#include "platform/text_codec.h"

int main(int argc, char** argv) {
    // The command line as given: Qt would take "-style x" and the like out
    // of argv, and a file may well carry such a name.
    std::vector<std::wstring> arguments;
    for (int i = 0; i < argc; ++i) arguments.push_back(FromUtf8(argv[i]));
    CEditorApp application(argc, argv, std::move(arguments));
    return application.InitInstance();
}
