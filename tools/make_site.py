#!/usr/bin/env python3
"""Writes the demo provider site's pages and catalogue into tools/site/.

The catalogue (LXTV.ini) is written in code page 936 (GBK) as the client reads it; the pages are
UTF-8 HTML. Run it again after changing the channel table; commit what it writes. The media are
made by make_media.sh, the web players fetched by fetch_players.sh.
"""

import html
import os

HERE = os.path.dirname(os.path.abspath(__file__))
SITE = os.path.join(HERE, "site")
BASE = "http://127.0.0.1:8168"
FULL_WIDTH_SPACE = "\u3000"  # 0xA1 0xA1 in code page 936

# (category, [(channel, kind)]). Kind "1" lists a channel, "2" also opens its category; any
# other kind is left out of the tree by the client.
CATEGORIES = [
    ("央视频道", [("CCTV-1 综合", "2"), ("CCTV-2 财经", "1"), ("CCTV-5 体育", "1"),
                  ("CCTV-6 电影", "1"), ("CCTV-新闻", "1")]),
    ("卫视频道", [("湖南卫视", "1"), ("浙江卫视", "1"), ("江苏卫视", "1"), ("东方卫视", "1"),
                  ("北京卫视", "1")]),
    ("地方频道", [("广东珠江", "1"), ("深圳都市", "1"), ("杭州综合", "1"), ("成都公共", "1")]),
    ("体育赛事", [("足球直播", "2"), ("篮球直播", "1"), ("网球公开赛", "1"), ("赛车世界", "1")]),
    ("电影点播", [("经典老片", "1"), ("动作大片", "1"), ("喜剧影院", "1"), ("爱情文艺", "1"),
                  ("科幻奇幻", "1")]),
    ("电视剧场", [("古装剧场", "1"), ("都市情感", "1"), ("悬疑推理", "1"), ("家庭伦理", "1")]),
    ("动漫少儿", [("卡通乐园", "1"), ("少儿科普", "1"), ("国漫精选", "1"), ("儿歌天地", "1")]),
    ("纪录片", [("自然探索", "1"), ("人文历史", "1"), ("美食中国", "1"), ("宇宙奥秘", "1"),
                ("城市印象", "1")]),
]

# Channels that are pages of the demo site's own rather than players, at the end of the last
# (collapsed) category so the tree as first shown stays as it is: a page behind HTTP basic
# authentication, a page with new-window links, and addresses the client must never open.
EXTRA_CHANNELS = {
    "纪录片": [("会员专享", "1|" + BASE + "/member/index.html"),
               ("精彩推荐", "1|" + BASE + "/popup.html"),
               ("外部节目", "1|ssh://127.0.0.1/channel"),
               ("本地节目", "1|file:///etc/passwd"),
               ("连环弹窗", "1|" + BASE + "/alerts.html")],
}

# Each channel's player, in turn: an MP4 file in a plain <video>, HLS through hls.js, FLV
# through mpegts.js. Every one starts with sound as it loads.
PLAYER_KINDS = ["mp4", "hls", "flv"]

# Keys that the client must leave out: other kinds, an empty value.
OTHER_KEYS = {
    "卫视频道": [("停播频道", "0|" + BASE + "/channel/1.html"), ("备用线路", "")],
    "电影点播": [("会员专区", "3|" + BASE + "/channel/2.html")],
    "纪录片": [("旧版地址", "x" + BASE + "/channel/3.html")],
}

# Keys listed before a category's channels: a channel whose address has Chinese in its path and
# its query, which the site must receive as UTF-8 and as code page 936 escapes respectively.
LEADING_KEYS = {
    "纪录片": [("凤凰卫视", "1|" + BASE + "/频道/凤凰卫视.html?name=凤凰卫视&x=1")],
}

# The channel whose address is padded with full-width and ASCII spaces on both sides.
PADDED_CHANNEL = "广东珠江"

CSS = """\
body { margin: 0; font-family: "WenQuanYi Micro Hei", "Microsoft YaHei", sans-serif;
       background: #f3f6fa; color: #223; }
header { background: linear-gradient(#2f6db5, #1d4f8c); color: #fff; padding: 14px 24px; }
header h1 { margin: 0; font-size: 22px; }
header p { margin: 4px 0 0; font-size: 13px; opacity: .85; }
nav { background: #e4ecf6; padding: 8px 24px; font-size: 14px; }
nav a { margin-right: 14px; color: #1d4f8c; text-decoration: none; }
nav a:hover { text-decoration: underline; }
main { padding: 16px 24px; }
h2 { font-size: 18px; border-left: 4px solid #2f6db5; padding-left: 8px; }
ul.cards { list-style: none; padding: 0; display: flex; flex-wrap: wrap; gap: 10px; }
ul.cards li { background: #fff; border: 1px solid #d5dfeb; border-radius: 6px;
              padding: 8px 12px; min-width: 120px; }
ul.cards a { color: #223; text-decoration: none; }
ol.rank li { margin: 4px 0; }
.note { background: #fff; border: 1px solid #d5dfeb; border-radius: 6px; padding: 12px 16px; }
.player { background: #000; display: inline-block; border-radius: 6px; overflow: hidden; }
video { display: block; width: 480px; height: 270px; }
.controls { margin: 6px 0; }
p.download a { display: inline-block; width: 360px; padding: 8px 12px; background: #e4ecf6;
               border: 1px solid #bcd; border-radius: 4px; color: #1d4f8c; text-decoration: none; }
.controls button { font-size: 14px; padding: 4px 12px; }
code { background: #fff; border: 1px solid #d5dfeb; padding: 1px 4px; }
footer { color: #778; font-size: 12px; padding: 12px 24px; }
"""

NAV = [("/", "首页"), ("/listbytype.asp?type_id=20&ranks=3", "最新推荐"),
       ("/listbytype.asp?type_id=20&ranks=2", "热播排行"),
       ("/listbytype.asp?type_id=20&ranks=1", "最近更新"), ("/news.asp?id=2", "在线升级"),
       ("/Gbook.asp", "留言反馈"), ("/news.asp?id=3", "关于我们")]


# The channel pages' player: starts playback with sound as the page loads, loops, offers full
# screen from its button and a double click, and reports its state to the site every second
# (the request log shows whether it plays, where, and with sound).
PLAYER_JS = """(function () {
  var video = document.getElementById('player');
  var kind = video.dataset.kind, page = video.dataset.page;
  function report(extra) {
    var q = 'page=' + page + '&kind=' + kind + '&t=' + video.currentTime.toFixed(2) +
        '&muted=' + (video.muted ? 1 : 0) + '&paused=' + (video.paused ? 1 : 0) +
        '&volume=' + video.volume.toFixed(2) + (extra || '');
    fetch('/__play?' + q, {cache: 'no-store'}).catch(function () {});
  }
  function start() {
    var playing = video.play();
    if (playing) playing.catch(function (e) { report('&error=' + encodeURIComponent(e.name)); });
  }
  if (kind === 'mp4') {
    video.loop = true;
    video.src = '/media/clip.mp4';
    start();
  } else if (kind === 'hls') {
    var hls = new Hls();
    hls.on(Hls.Events.MANIFEST_PARSED, start);
    hls.loadSource('/media/hls/clip.m3u8');
    hls.attachMedia(video);
    video.addEventListener('ended', function () { video.currentTime = 0; start(); });
  } else if (kind === 'flv') {
    var player = null;
    var open = function () {
      if (player) player.destroy();
      player = mpegts.createPlayer({type: 'flv', url: '/media/clip.flv'});
      player.attachMediaElement(video);
      player.load();
      start();
    };
    video.addEventListener('ended', open);
    open();
  }
  setInterval(report, 1000);
  function toggle() {
    if (document.fullscreenElement) document.exitFullscreen();
    else video.requestFullscreen().catch(function (e) { report('&error=' + e.name); });
  }
  video.addEventListener('dblclick', toggle);
  document.getElementById('fullscreen').addEventListener('click', toggle);
  document.addEventListener('fullscreenchange', function () {
    report('&fullscreen=' + (document.fullscreenElement ? 1 : 0));
  });
})();
"""

# Links followed inside a page, one band of the page each: a target="_blank" link, a button that
# calls window.open, a link of another application's scheme and the support chat's link. A
# popup the page tries on its own as it loads must stay blocked.
POPUP = """<!DOCTYPE html>
<html lang="zh-CN"><head><meta charset="utf-8"><title>精彩推荐 - 岚汐影院</title>
<style>
html, body { margin: 0; height: 100%; font-family: "WenQuanYi Micro Hei", sans-serif; }
a, button { position: fixed; left: 0; width: 100%; height: 25%; border: 0; font-size: 22px;
            display: flex; align-items: center; justify-content: center; text-decoration: none; }
#blank { top: 0; background: #dfeaf7; color: #1d4f8c; }
#open { top: 25%; background: #f7eadf; color: #8c4f1d; }
#foreign { top: 50%; background: #eaeaea; color: #444; }
#chat { top: 75%; background: #e4f4e4; color: #2d6b2d; }
</style></head>
<body>
<a id="blank" href="/channel/2.html?via=blank" target="_blank">新窗口打开：CCTV-2 财经</a>
<button id="open" type="button" onclick="window.open('/channel/3.html?via=open')">弹出窗口：CCTV-5 体育</button>
<a id="foreign" href="steam://run/12345">外部程序的链接（不会打开）</a>
<a id="chat" href="tencent://message/?uin=800012345&amp;Site=demo&amp;Menu=yes">在线客服</a>
<script>window.open('/channel/4.html?via=unasked');</script>
</body></html>
"""

# Script dialogs one after another: the client shows three and swallows the rest, then the page
# says how far it got.
ALERTS = """<!DOCTYPE html>
<html lang="zh-CN"><head><meta charset="utf-8"><title>连环弹窗 - 岚汐影院</title></head>
<body><p>这个页面会不停地弹出对话框。</p>
<script>
for (var i = 1; i <= 50; i++) alert('第 ' + i + ' 个对话框');
fetch('/__play?page=alerts&done=' + (i - 1), {cache: 'no-store'});
</script></body></html>
"""


def page(title, body):
    nav = "".join(f'<a href="{html.escape(href)}">{text}</a>' for href, text in NAV)
    return f"""<!DOCTYPE html>
<html lang="zh-CN">
<head><meta charset="utf-8"><title>{html.escape(title)} - 岚汐影院</title>
<link rel="stylesheet" href="/style.css"></head>
<body>
<header><h1>岚汐影院</h1><p>演示站点 · 仅供本机测试</p></header>
<nav>{nav}</nav>
<main>
{body}
</main>
<footer>本站为演示用本地站点，所有节目均为测试画面。</footer>
</body>
</html>
"""


def channels():
    """Every listed channel with its number, in catalogue order."""
    n = 0
    for category, entries in CATEGORIES:
        for name, kind in entries:
            n += 1
            yield n, category, name, kind


def write(rel, text, encoding="utf-8"):
    path = os.path.join(SITE, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(text.encode(encoding))


def catalogue():
    lines = ["; 岚汐网络电视 演示节目单", "[config]", "最大化=1", ""]
    by_category = {}
    for n, category, name, kind in channels():
        address = f"{BASE}/channel/{n}.html"
        if name == PADDED_CHANNEL:
            address = FULL_WIDTH_SPACE + " " + address + " " + FULL_WIDTH_SPACE
        by_category.setdefault(category, []).append(f"{name}={kind}|{address}")
    for category, _ in CATEGORIES:
        lines.append(f"[{category}]")
        lines.extend(f"{k}={v}" for k, v in LEADING_KEYS.get(category, []))
        lines.extend(by_category[category])
        lines.extend(f"{k}={v}" for k, v in EXTRA_CHANNELS.get(category, []))
        lines.extend(f"{k}={v}" for k, v in OTHER_KEYS.get(category, []))
        lines.append("")
    return "\r\n".join(lines)


def main():
    write("LXTV.ini", catalogue(), "gbk")
    write("style.css", CSS)
    all_channels = list(channels())

    cats = []
    for category, _ in CATEGORIES:
        items = "".join(f'<li><a href="/channel/{n}.html">{html.escape(name)}</a></li>'
                        for n, c, name, _ in all_channels if c == category)
        cats.append(f"<h2>{category}</h2>\n<ul class=\"cards\">{items}</ul>")
    write("index.html", page("首页", "<p class=\"note\">欢迎来到岚汐影院！请在左侧节目单中选择频道，"
                              "或从下面的分类直接观看。</p>\n" + "\n".join(cats)))

    write("loading.html", """<!DOCTYPE html>
<html lang="zh-CN"><head><meta charset="utf-8"><title>正在加载</title>
<link rel="stylesheet" href="/style.css"></head>
<body><main style="text-align:center;padding-top:120px">
<h1 style="color:#1d4f8c">岚汐网络电视</h1>
<p>正在加载节目单，请稍候……</p>
<p style="color:#778;font-size:13px">请在左侧选择您想观看的频道。</p>
</main></body></html>
""")

    sections = {
        "3": ("最新推荐", [0, 5, 17, 21, 30, 34]),
        "2": ("热播排行", [5, 0, 14, 9, 18, 22, 26, 2]),
        "1": ("最近更新", [33, 29, 25, 20, 12, 7]),
    }
    for rank, (title, picks) in sections.items():
        rows = "".join(
            f'<li><a href="/channel/{all_channels[i][0]}.html">{html.escape(all_channels[i][2])}</a>'
            f"（{all_channels[i][1]}）</li>" for i in picks)
        write(f"listbytype-{rank}.html", page(title, f"<h2>{title}</h2>\n<ol class=\"rank\">{rows}</ol>"))

    write("news-2.html", page("在线升级", """<h2>在线升级</h2>
<div class="note"><p>当前最新版本：<b>1.0.1</b>。</p>
<p class="download"><a id="package" href="/files/lxtv-1.0.1.tar.gz">下载新版安装包 lxtv-1.0.1.tar.gz</a></p>
<p class="download"><a id="slow" href="/files/slow/lxtv-1.0.1.tar.gz">下载（备用线路，较慢）</a></p>
<p class="download"><a id="broken" href="/files/broken/lxtv-1.0.1.tar.gz">下载（备用线路二）</a></p></div>"""))
    write("news-3.html", page("关于我们", """<h2>关于我们</h2>
<div class="note"><p>岚汐网络电视为您提供电视直播与影视点播的节目单。</p>
<p>本页面属于随程序附带的演示站点，节目画面均为测试图案。</p></div>"""))
    write("gbook.html", page("留言反馈", """<h2>留言反馈</h2>
<div class="note"><p>欢迎留下您的意见和建议（演示站点不保存留言）。</p>
<form onsubmit="alert('谢谢您的留言！'); return false;">
<p><input name="name" placeholder="您的称呼"></p>
<p><textarea name="text" rows="4" cols="40" placeholder="留言内容"></textarea></p>
<p><button type="submit">提交留言</button></p></form></div>"""))
    # The server fills in the three markers for each search.
    write("search.html", page("搜索结果", """<h2>搜索结果</h2>
<div class="note">
<p>收到的关键字（按 GBK 解码）：<b id="keyword-gbk">{{KEYWORD_GBK}}</b></p>
<p>按 UTF-8 解码：<span id="keyword-utf8">{{KEYWORD_UTF8}}</span></p>
<p>原始字节（十六进制）：<code id="keyword-hex">{{KEYWORD_HEX}}</code></p>
<p>演示站点没有与该关键字匹配的节目。</p></div>"""))

    # The server fills in the markers for a channel named in its address's query.
    write("named-channel.html", page("频道", """<h2>按名称打开的频道</h2>
<div class="note">
<p>收到的频道名（按 GBK 解码）：<b id="name-gbk">{{NAME_GBK}}</b></p>
<p>原始字节（十六进制）：<code id="name-hex">{{NAME_HEX}}</code></p></div>
<div class="player"><video id="player" src="/media/clip.mp4" autoplay loop playsinline></video></div>"""))

    for n, category, name, kind in all_channels:
        player = PLAYER_KINDS[(n - 1) % len(PLAYER_KINDS)]
        scripts = {"hls": '<script src="/vendor/hls.light.min.js"></script>\n',
                   "flv": '<script src="/vendor/mpegts.min.js"></script>\n'}.get(player, "")
        write(f"channel/{n}.html", page(name, f"""<h2>{html.escape(name)}</h2>
<p>分类：{category} · 频道编号 {n} · 播放方式 {player.upper()}</p>
<div class="player"><video id="player" data-kind="{player}" data-page="{n}" autoplay playsinline></video></div>
<p class="controls"><button id="fullscreen" type="button">全屏观看</button>
<span style="color:#778;font-size:13px">演示画面，循环播放（双击画面也可全屏）。</span></p>
{scripts}<script src="/player.js"></script>"""))

    write("player.js", PLAYER_JS)
    write("popup.html", POPUP)
    write("alerts.html", ALERTS)
    write("member.html", page("会员专享", """<h2>会员专享</h2>
<div class="note"><p>欢迎您，会员！您已通过身份验证。</p>
<p>本站已记住您的登录，下次打开岚汐网络电视时无需再次登录。</p></div>"""))

    write("maker/board.html", page("留言板", """<h2>作者留言板</h2>
<div class="note"><p>感谢使用岚汐网络电视！有任何问题请在这里留言。</p></div>"""))
    write("maker/article.html", page("文章", """<h2>写在发布之际</h2>
<div class="note"><p>这是一篇演示文章：介绍岚汐网络电视的由来和使用方法。</p>
<p>在左侧节目单中选择频道即可观看；点击“数据同步”可以重新获取节目单。</p></div>"""))


if __name__ == "__main__":
    main()
