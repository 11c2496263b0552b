#pragma once
// Fetching the search site's result pages for the keyword of 编辑框1 and listing their hits in
// 超级列表框1, one row per hit: the title in column 0, the detail page's address in column 1.
// Progress goes to the status label 透明标签1.

// Page 1, into an emptied list; sets current_page to 1. Runs on a worker thread.
void search_first_page();

// Page `page_number`, after the rows already listed (`append`) or into an emptied list. Runs on
// the window's thread and returns only after a one-second wait in which the window's events keep
// flowing, so a further page may be listed inside it.
void search_page(int page_number, bool append);
