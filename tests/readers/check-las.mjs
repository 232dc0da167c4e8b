// Checks the per-frame LAS files of lidar-export with a LAS reader from the
// npm registry: for each frame of the CSV, STEM_000001.las and on hold its
// rows in order (millimetre coordinates, intensity, channel as user data),
// with exact counts and bounds, and the frame's GPS time.
//   node check-las.mjs FILE.csv STEM [GPS_TIME,...]
import { Las } from "copc";
import { readFile } from "node:fs/promises";
import { expect, matchesCsv, readCsvFrames } from "./csv-frames.mjs";

const [csvPath, stem, gpsTimes] = process.argv.slice(2);
const csv = readCsvFrames(csvPath);
const expectedTimes = gpsTimes ? gpsTimes.split(",").map(Number) : undefined;

let files = 0;
for (const [number, rows] of csv) {
  const path = `${stem}_${String(number).padStart(6, "0")}.las`;
  const bytes = new Uint8Array(await readFile(path));
  const header = Las.Header.parse(bytes);
  const where = path;
  expect(header.majorVersion === 1 && header.minorVersion === 2, `${where}: version ${header.majorVersion}.${header.minorVersion}`);
  expect(header.pointDataRecordFormat === 1 && header.pointDataRecordLength === 28, `${where}: point format`);
  expect((header.globalEncoding & 1) === 1, `${where}: GPS time is not adjusted standard time`);
  expect(header.pointCount === rows.length, `${where}: ${header.pointCount} points, the CSV ${rows.length}`);
  expect(header.pointCountByReturn.join() === [rows.length, 0, 0, 0, 0].join(), `${where}: points by return`);
  expect(bytes.length === header.pointDataOffset + rows.length * 28, `${where}: ${bytes.length} bytes`);
  expect(header.scale.every((s) => s === 0.001), `${where}: scale ${header.scale}`);

  const view = Las.View.create(bytes.subarray(header.pointDataOffset), header);
  const get = Object.fromEntries(["X", "Y", "Z", "Intensity", "UserData", "GpsTime", "ReturnNumber", "NumberOfReturns"].map((d) => [d, view.getter(d)]));
  const min = [Infinity, Infinity, Infinity];
  const max = [-Infinity, -Infinity, -Infinity];
  rows.forEach((row, i) => {
    ["X", "Y", "Z"].forEach((axis, a) => {
      const value = get[axis](i);
      const text = row[axis.toLowerCase()];
      // Rounded to millimetres, against 6 significant digits.
      expect(matchesCsv(value, text, 0.0005 + 1e-9), `${where}, point ${i}: ${axis} ${value}, the CSV ${text}`);
      min[a] = Math.min(min[a], value);
      max[a] = Math.max(max[a], value);
    });
    expect(get.Intensity(i) === Number(row.intensity), `${where}, point ${i}: intensity`);
    expect(get.UserData(i) === Number(row.channel), `${where}, point ${i}: channel`);
    expect(get.ReturnNumber(i) === 1 && get.NumberOfReturns(i) === 1, `${where}, point ${i}: returns`);
    if (expectedTimes) {
      expect(get.GpsTime(i) === expectedTimes[files], `${where}, point ${i}: GPS time ${get.GpsTime(i)}, not ${expectedTimes[files]}`);
    }
  });
  // The header's bounds are those of the coordinates as read.
  expect(header.min.join() === min.join() && header.max.join() === max.join(),
         `${where}: bounds ${header.min} ${header.max}, the points ${min} ${max}`);
  ++files;
}
console.log(`${files} LAS files of ${stem} as in ${csvPath}`);
