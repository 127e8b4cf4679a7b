// The program's commands as data: menu texts, status and tool-tip texts, the menu tree
// and the three tool bars. Plain C++ so the rules built on it can be tested directly. The
// texts are the Japanese originals; the windows translate them in context "Commands".
#pragma once

#include <string>
#include <vector>

struct CommandInfo {
    int id;
    const char* menuText; // with "&" mnemonics and "\t" before an accelerator; may be null
    const char* prompt;   // status text, "\n", tool-tip text; may be null
};

// The command, or null for an unknown number.
const CommandInfo* FindCommand(int id);
const std::vector<CommandInfo>& AllCommands();

// The part of the prompt before the first line break.
std::string StatusText(const char* prompt);
// The last piece after splitting the prompt at every line break; it labels the button.
std::string TipText(const char* prompt);

// The menu bar: items (id > 0), separators (id 0, no text), submenus (id -1, text and
// children).
struct MenuNode {
    int id;
    const char* text;
    std::vector<MenuNode> children;
};
const std::vector<MenuNode>& MenuBar();

// Button order of the three tool bars; 0 is a separator.
const std::vector<int>& MainToolBarButtons();
const std::vector<int>& AdjustToolBarButtons();
const std::vector<int>& DotEditToolBarButtons();

// The submenu of the two fit commands; the button beside the format list opens it too.
extern const char* const kFitMenuText;
// The submenu of the four resampling choices, a group of which one is checked.
extern const char* const kResamplingMenuText;

// The idle text of the status bar.
extern const char* const kIdleStatusText;
