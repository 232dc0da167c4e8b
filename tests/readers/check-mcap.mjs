// Checks an MCAP file of lidar-export with the MCAP project's own reader and
// the ROS 2 message decoder: the file reads whole in a stream (CRCs, records,
// footer) and through its summary and indexes, and each PointCloud2 message
// holds exactly the CSV rows of its frame. With CHANNELS (default 1) the
// file holds that many topics, and the checks are those of TOPIC.
//   node check-mcap.mjs FILE.mcap FILE.csv TOPIC FRAME_ID [STAMP_NS,...] [CHANNELS]
import { McapIndexedReader, McapStreamReader } from "@mcap/core";
import { FileHandleReadable } from "@mcap/nodejs";
import { parse } from "@foxglove/rosmsg";
import { MessageReader } from "@foxglove/rosmsg2-serialization";
import { open, readFile } from "node:fs/promises";
import { expect, matchesCsv, readCsvFrames } from "./csv-frames.mjs";

const [mcapPath, csvPath, topic, frameId, stamps, channelCount] = process.argv.slice(2);
const csv = readCsvFrames(csvPath);

// One pass as a recorder's player streams it.
const stream = new McapStreamReader();
stream.append(await readFile(mcapPath));
const seen = {};
for (let record; (record = stream.nextRecord()); ) {
  seen[record.type] = (seen[record.type] ?? 0) + 1;
}
expect(stream.done(), "the stream does not end with a footer and the magic");
for (const type of ["Header", "Schema", "Channel", "Message", "MessageIndex", "DataEnd", "Statistics", "ChunkIndex", "SummaryOffset", "Footer"]) {
  expect(seen[type] > 0, `no ${type} record in ${JSON.stringify(seen)}`);
}

// Through the summary, as a viewer that seeks reads it.
const handle = await open(mcapPath, "r");
const reader = await McapIndexedReader.Initialize({ readable: new FileHandleReadable(handle) });
const channels = [...reader.channelsById.values()];
const channel = channels.find((c) => c.topic === topic);
expect(channels.length === Number(channelCount ?? 1) && channel, `channels: ${JSON.stringify(channels)}`);
const schema = reader.schemasById.get(channel.schemaId);
expect(schema.name === "sensor_msgs/msg/PointCloud2" && schema.encoding === "ros2msg", `schema ${schema.name}`);
expect(channel.messageEncoding === "cdr", `message encoding ${channel.messageEncoding}`);
const onTopic = reader.statistics.channelMessageCounts.get(channel.id);
expect(onTopic === BigInt(csv.size), `${onTopic} messages on ${topic} for ${csv.size} CSV frames`);
expect(reader.chunkIndexes.length > 0, "no chunk index");

const decoder = new MessageReader(parse(new TextDecoder().decode(schema.data), { ros2: true }));
const expectedStamps = stamps ? stamps.split(",").map(BigInt) : undefined;
let messages = 0;
let points = 0;
for await (const message of reader.readMessages({ topics: [topic] })) {
  const rows = csv.get(message.sequence);
  const where = `message ${message.sequence}`;
  expect(rows !== undefined, `${where}: no such frame in the CSV`);
  const cloud = decoder.readMessage(message.data);
  const stamp = BigInt(cloud.header.stamp.sec) * 1000000000n + BigInt(cloud.header.stamp.nanosec);
  expect(stamp === message.logTime && stamp === message.publishTime, `${where}: stamp ${stamp}, log time ${message.logTime}`);
  if (expectedStamps) {
    expect(stamp === expectedStamps[messages], `${where}: stamp ${stamp}, not ${expectedStamps[messages]}`);
  }
  expect(cloud.header.frame_id === frameId, `${where}: frame_id ${cloud.header.frame_id}`);
  const fields = Object.fromEntries(cloud.fields.map((f) => [f.name, f]));
  const layout = cloud.fields.map((f) => `${f.name}:${f.datatype}`).join(" ");
  expect(layout === "x:7 y:7 z:7 intensity:7 channel:4 azimuth:7 distance:7", `${where}: fields ${layout}`);
  expect(cloud.height === 1 && cloud.width === rows.length, `${where}: ${cloud.width} points, the CSV ${rows.length}`);
  expect(!cloud.is_bigendian && cloud.row_step === cloud.width * cloud.point_step, `${where}: layout`);
  const view = new DataView(cloud.data.buffer, cloud.data.byteOffset, cloud.data.byteLength);
  rows.forEach((row, i) => {
    const at = i * cloud.point_step;
    const float = (name) => view.getFloat32(at + fields[name].offset, true);
    for (const name of ["x", "y", "z", "azimuth", "distance"]) {
      expect(matchesCsv(float(name), row[name]), `${where}, point ${i}: ${name} ${float(name)}, the CSV ${row[name]}`);
    }
    expect(float("intensity") === Number(row.intensity), `${where}, point ${i}: intensity`);
    expect(view.getUint16(at + fields.channel.offset, true) === Number(row.channel), `${where}, point ${i}: channel`);
  });
  ++messages;
  points += rows.length;
}
await handle.close();
expect(messages === csv.size, `${messages} messages read, ${csv.size} frames in the CSV`);
console.log(`${mcapPath}: ${messages} messages, ${points} points as in ${csvPath}`);
