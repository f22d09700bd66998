#include "common/Prompter.h"

Prompter::~Prompter() = default;
