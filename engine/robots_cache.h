// robots.txt as a scan obeys it: each server's file read once, before the
// first of its pages is requested, and kept until the next scan starts.
// Any thread; a worker that needs a server's rules while another is still
// reading them waits for that reading.
#pragma once

#include "engine/url_functions.h"
#include "engine/web_checks.h"

inline constexpr char kDisallowedByRobotsState[] = "Disallowed by robots.txt";

// Whether target may be requested under its server's robots.txt, which is
// read through exchanger the first time the server is asked about.
[[nodiscard]] bool RobotsAllow(const WebRequestTarget& target, CheckExchanger& exchanger);

// Forgets every server's rules: a new scan reads them again.
void ForgetRobotsRules();
