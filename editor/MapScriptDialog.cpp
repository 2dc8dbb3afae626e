// The map script dialogs and the questions and messages around a save; the
// reader and writer stay free of them so they run without a display.
#include "editor/board/MapScript.h"

#include "platform/Dialogs.h"
#include "platform/Paths.h"

namespace tolv {

plat::FileDialogRequest MapScriptOpenDialog(const std::string& title, const std::string& dir,
                                            const std::string& fileName)
{
    plat::FileDialogRequest r;
    r.kind = plat::FileDialogKind::Open;
    r.title = title;
    r.filter = "Tolvaria Map|*.tlv|Alle Dateien|*.*";
    r.defaultExt = "*.tlv";
    r.initialDir = dir;
    r.fileName = fileName;
    return r;
}

plat::FileDialogRequest MapScriptSaveDialog(const std::string& title, const std::string& dir,
                                            const std::string& fileName)
{
    plat::FileDialogRequest r;
    r.kind = plat::FileDialogKind::Save;
    r.title = title;
    r.filter = "Tolvaria Map|*.tlv|alle Dateien|*.*";
    r.defaultExt = "tlv";
    r.initialDir = dir;
    r.fileName = fileName;
    // The script is written under its ".tlv" name, which the dialog does not
    // know: the overwrite question is asked by the close query about that file.
    r.options.overwritePrompt = false;
    r.options.hideReadOnly = true;
    r.options.resizable = true;
    return r;
}

std::string ChangedNameQuestionText(const std::string& fileName)
{
    return "Das Script wird als " + plat::ExtractFileName(fileName) +
           " gespeichert.\nDiese Datei ist bereits vorhanden. Soll sie überschrieben werden?";
}

bool SaveMapScriptFromDialog(BoardState& state, const std::string& chosen, const MapShape& shape,
                             const std::string& dialogTitle)
{
    // Asked about the file that is written, never about the name as chosen
    // when that is not the one ("plan.txt" is saved as plan.tlv).
    const std::string name = MapScriptFileName(chosen);
    if (plat::FileExists(name)) {
        const std::string question =
            name == chosen ? plat::OverwriteQuestionText(name) : ChangedNameQuestionText(name);
        if (plat::ShowMessage(question, dialogTitle, plat::MsgIcon::Warning,
                              plat::MsgButtons::YesNo) != plat::MsgResult::Yes)
            return false;
    }
    const MapScriptWriteResult r = SaveMapScript(state, chosen, shape);
    if (!r.Ok) {
        plat::ShowMessage(r.Error, "Fehler", plat::MsgIcon::Error, plat::MsgButtons::OK);
        return false;
    }
    return true;
}

} // namespace tolv
