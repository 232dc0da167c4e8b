// The rows of a multi-frame CSV file of lidar-export, by frame number, and
// the comparison of a float read from another file with a CSV field, which
// holds it with 6 significant digits.
import { readFileSync } from "node:fs";

export const columns = ["frame", "x", "y", "z", "channel", "azimuth", "distance", "intensity"];

export function readCsvFrames(path) {
  const lines = readFileSync(path, "utf8").split("\n");
  if (lines.shift() !== "FrameNumbers,Points_X,Points_Y,Points_Z,Laser_id,Azimuth,Distance,Intensity") {
    throw new Error(`${path}: not a multi-frame CSV file`);
  }
  const frames = new Map();
  for (const line of lines) {
    if (line === "") continue;
    const fields = line.split(",");
    const row = Object.fromEntries(columns.map((name, i) => [name, fields[i]]));
    const number = Number(row.frame);
    if (!frames.has(number)) frames.set(number, []);
    frames.get(number).push(row);
  }
  return frames;
}

// True when `value`, give or take `within`, printed with 6 significant
// digits could give `text`.
export function matchesCsv(value, text, within = 0) {
  const printed = Number(text);
  const halfDigit = printed === 0 ? 0 : 0.5 * 10 ** (Math.floor(Math.log10(Math.abs(printed))) - 5);
  return Math.abs(value - printed) <= halfDigit * (1 + 1e-9) + within;
}

export function expect(condition, message) {
  if (!condition) throw new Error(message);
}
