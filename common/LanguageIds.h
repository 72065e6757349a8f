// Control id of the language dialog's list, for the dialog class and the
// programs' resource scripts alike.
#pragma once
#define IDC_LANGUAGES 1020
