#pragma once
// Runs a control script (EngineControl.h) against the engine. Returns the
// number of lines run; unknown or malformed lines are skipped.
#include <string>

class FeedEngine;

int RunEngineScript(FeedEngine& engine, const std::string& script);
