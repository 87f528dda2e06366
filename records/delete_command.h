// The command of the "Delete" button.
#pragma once

void DeleteCommand();
