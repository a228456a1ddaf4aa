#!/usr/bin/env python3
"""ffprobe as the outside reader of an AVI file we wrote.

Runs
  ffprobe -v error -count_packets -show_entries stream=codec_name,nb_read_packets FILE
and requires an h264 stream with the given number of packets, and, when asked,
an audio stream of the given codec (and packet count). --quiet also requires
that ffprobe says nothing on stderr; --decode FFMPEG decodes the whole file with
ffmpeg, which must succeed without a message.

  check_ffprobe.py FFPROBE FILE --video-packets N [--audio-codec NAME]
                   [--audio-packets N] [--quiet] [--decode FFMPEG]
"""
import argparse
import subprocess
import sys


def streams(text):
    found = []
    current = None
    for line in text.splitlines():
        line = line.strip()
        if line == "[STREAM]":
            current = {}
        elif line == "[/STREAM]":
            found.append(current)
            current = None
        elif current is not None and "=" in line:
            key, value = line.split("=", 1)
            current[key] = value
    return found


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("ffprobe")
    ap.add_argument("file")
    ap.add_argument("--video-packets", type=int, required=True)
    ap.add_argument("--audio-codec")
    ap.add_argument("--audio-packets", type=int)
    ap.add_argument("--quiet", action="store_true")
    ap.add_argument("--decode")
    args = ap.parse_args()

    cmd = [args.ffprobe, "-v", "error", "-count_packets", "-show_entries", "stream=codec_name,nb_read_packets",
           args.file]
    run = subprocess.run(cmd, capture_output=True, text=True)
    problems = []
    if run.returncode != 0:
        problems.append(f"ffprobe exited with {run.returncode}")
    if args.quiet and run.stderr.strip():
        problems.append("ffprobe complained:\n" + run.stderr.strip()[:2000])
    found = streams(run.stdout)
    print(" ".join(f"{s.get('codec_name')}:{s.get('nb_read_packets')}" for s in found))
    video = [s for s in found if s.get("codec_name") == "h264"]
    if len(video) != 1:
        problems.append(f"expected one h264 stream, found {found}")
    elif video[0].get("nb_read_packets") != str(args.video_packets):
        problems.append(f"h264 stream has {video[0].get('nb_read_packets')} packets, expected {args.video_packets}")
    if args.audio_codec:
        audio = [s for s in found if s.get("codec_name") == args.audio_codec]
        if len(audio) != 1:
            problems.append(f"expected one {args.audio_codec} stream, found {found}")
        elif args.audio_packets is not None and audio[0].get("nb_read_packets") != str(args.audio_packets):
            problems.append(f"{args.audio_codec} stream has {audio[0].get('nb_read_packets')} packets, "
                            f"expected {args.audio_packets}")
    if len(found) != 1 + (1 if args.audio_codec else 0):
        problems.append(f"unexpected streams: {found}")
    if args.decode:
        dec = subprocess.run([args.decode, "-v", "error", "-nostdin", "-i", args.file, "-f", "null", "-"],
                             capture_output=True, text=True)
        if dec.returncode != 0 or dec.stderr.strip():
            problems.append(f"ffmpeg could not decode it cleanly ({dec.returncode}):\n{dec.stderr.strip()[:2000]}")
    if problems:
        for p in problems:
            print(f"check_ffprobe: {args.file}: {p}", file=sys.stderr)
        return 1
    print(f"check_ffprobe: {args.file}: ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
