// The support site's page templates (Mustache: {{x}} is escaped for HTML, {{{x}}} only for markup the
// site made itself) and its one stylesheet.
#pragma once

extern const char kNcSiteLayout[];
extern const char kNcSiteSignIn[];
extern const char kNcSiteReports[];
extern const char kNcSiteReport[];
extern const char kNcSiteDumps[];
extern const char kNcSiteAnalytics[];
extern const char kNcSiteStylesheet[];
