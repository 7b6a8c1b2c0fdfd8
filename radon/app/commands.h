// The program's commands: one table that the menu tree, the dispatcher, the
// help screen, --batch and the web page read. A key and a menu entry run
// the same row; a list (grids, objects, filters, ...) is a row whose submenu
// holds its entries and whose key steps to the next one.
#ifndef RADON_APP_COMMANDS_H
#define RADON_APP_COMMANDS_H

#include <span>
#include <string>

#include "app/cli.h"
#include "radon.h"

// The menu that holds a command's entry.
enum class MenuPlace { Top, Demos, Lab, Centre };

struct Command {
    MenuPlace place;                  // where its entry (or its submenu's title) sits
    int key = 0;                      // its key; 0: none
    int id = 0;                       // its entry's id, the key's code where it has a key; 0: a submenu's title
    const char *label = nullptr;      // the entry's label, or the submenu's title
    const char *help = nullptr;       // the help screen's text after the key; null: not on the help screen
    void (*run)(void) = nullptr;      // what the key or entry does; for a list, the step to its next entry
    Menu *submenu = nullptr;          // a list's entries, or a group of commands (Demos, Lab)
    bool (*choose)(int id) = nullptr; // a list's: make its entry with this id current; false when it has none
    const char *not_measured = nullptr; // why it does not apply to a measured scan; null: it does
};

extern const std::span<const Command> commands;

// The row whose key is `key`, or null.
const Command *commandForKey(int key);
// Whether `id` is the id of a plain entry somewhere in the menu tree.
bool isMenuEntry(int id);
// A command as a student gives it: the menu path of an entry, "Change
// Parameter > Nw=200, Np=512", or a key and what it does, "R: Reconstruction by FBP".
std::string commandAsPressed(const BatchStep &step);

#endif
