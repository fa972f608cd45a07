#!/usr/bin/env bash
# A catalogue channel whose address has Chinese in its path and its query: the site receives the
# path as UTF-8 escapes and the query as the code page 936 bytes, as pages reading their
# parameters in that code page expect; the page shows the name it decoded.
source "$(dirname "$0")/lib.sh" "$@"

# Rows of the demo catalogue's tree (22 pixels each, from window y 91): 17 纪录片 (collapsed);
# once it is open, 18 is its first channel 凤凰卫视.
start_with_tree

# Open the category with a double click on its label, then pick the channel.
xdotool mousemove --window "$WID" 40 "$(row_y 17)" sleep 0.1 click --repeat 2 --delay 80 1
sleep 0.5
n=$(log_lines)
click_at 50 "$(row_y 18)" 1
path='/%E9%A2%91%E9%81%93/%E5%87%A4%E5%87%B0%E5%8D%AB%E8%A7%86\.html'
wait_for_request "^GET ${path}\\?name=%B7%EF%BB%CB%CE%C0%CA%D3&x=1\$"
expect_no_request_after "$n" 'name=%E5%87%A4'  # never the UTF-8 form of the query
sleep 2
shot chinese_address
echo "PASS chinese address"
