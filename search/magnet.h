#pragma once
// Resolving a hit's magnet link: the detail page at the selected link is fetched, the link cut
// out from between two fixed markers and handed to the system's URL opener. Progress goes to the
// status label 透明标签1. Runs on a worker thread.
void resolve_magnet();
