#pragma once
// Runs a control script (EngineControl.h) against the engine. Returns the
// number of lines run; unknown or malformed lines are skipped.
#include <string>

class FeedEngine;
class ScriptedEngine;

int RunEngineScript(FeedEngine& engine, ScriptedEngine& scripted, const std::string& script);
