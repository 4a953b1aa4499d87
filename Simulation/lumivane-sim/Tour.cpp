#include "Tour.hpp"

namespace lumivane::sim {

std::string_view tourScript() {
  return R"scenario(# The Lumivane tour: one 1440×900 display, the Dock at the bottom.
screen 1440x900
dock bottom icons=64
app Finder
app Safari quit=after:0.3
app Mail
app Notes quit=never          # an unsaved document: its save prompt keeps it running
app Music quit=after:0.4      # takes a moment to wind down
app Calendar
app Terminal
separator
folder Downloads
trash
launch                        # the first launch shows the welcome window
expect window welcome shown
close welcome
expect symbol dock.rectangle
expect tooltip "Lumivane"

# Hover to quit: rest on Safari's icon; the × shows after a quarter of a second.
pointer 720 450
glide Safari 0.4
wait 0.1
expect overlay hidden
wait 0.3
expect overlay Safari
glide button 0.15
click
expect overlay hidden
expect quit-requests Safari 1
expect status "已请求「Safari」退出，正在等待…"
wait 0.5
expect stopped Safari
expect status "「Safari」已退出"

# Middle-click to quit: Mail gets its quit request at once; the Dock never sees the click.
middle-click Mail
expect quit-requests Mail 1
wait 0.3
expect stopped Mail
expect status "「Mail」已退出"

# Notes asks to save its document and keeps running; after 12 s Lumivane says so.
middle-click Notes
expect status "已请求「Notes」退出，正在等待…"
wait 11.5
expect running Notes
expect status "已请求「Notes」退出，正在等待…"
wait 1
expect status "「Notes」仍未退出。请检查保存提示，或再次尝试。" error
quits Notes                   # the user answers the prompt: the late end is still reported
expect status "「Notes」已退出"

# The Finder is never quit: no × on its icon, and a middle-click asks nothing.
glide Finder 0.3
wait 0.5
expect overlay hidden
middle-click
expect quit-requests Finder 0
expect running Finder

# Locking the screen pauses both features until it is unlocked.
lock
glide Music 0.3
wait 0.5
expect overlay hidden
middle-click
expect quit-requests Music 0
unlock
glide 720 450 0.2
glide Music 0.3
wait 0.4
expect overlay Music
middle-click
expect overlay hidden
expect status "已请求「Music」退出，正在等待…"
wait 0.75
expect stopped Music
expect status "「Music」已退出"
)scenario";
}

} // namespace lumivane::sim
