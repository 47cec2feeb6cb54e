#pragma once
// The device tool's messaging and phone commands:
//
//   sms list [--folder Inbox|Sent|Outbox|Drafts|Deleted]
//   sms receive --from NUMBER TEXT
//   modem outbox
//   modem fail-next-send CODE          e.g. 0x80004005
//   modem send-delay MS
//   call add in|out|missed NUMBER [--roaming] [--at YYYY-MM-DDTHH:MM[:SS]] [--name NAME]
//   call list

namespace vantrel::tools {

// `args` starts at the command word ("sms", "modem" or "call"). The exit code: 0 done,
// 1 failed, 2 not understood (usage printed).
int runMessagingCommand(int argc, char** args);

extern const char* const messagingUsage;

} // namespace vantrel::tools
